#pragma once
// vitrinex-cli's commands for the items' photos, kept beside the collection in "NAME.photos".

namespace vitrinex::cli {

class CommandLine;

// Each prints {"item": NAME, "photos": [{"file", "width", "height", "bytes"}, ...]}, returns the exit
// status and throws on failure.
int commandPhotos(const CommandLine& arguments);
int commandPhotoAdd(const CommandLine& arguments);
int commandPhotoRemove(const CommandLine& arguments);
int commandPhotoCover(const CommandLine& arguments);

} // namespace vitrinex::cli
