#pragma once
// vitrinex-cli's commands for the items' photos, kept beside the collection in "NAME.photos".

namespace vitrinex::cli {

inline constexpr char kPhotoUsage[] =
    "  vitrinex-cli photos FILE ITEM (the item's photos, the cover first)\n"
    "  vitrinex-cli photo-add FILE ITEM IMAGE... (JPEG, PNG or WebP files, all or none)\n"
    "  vitrinex-cli photo-remove FILE ITEM N\n"
    "  vitrinex-cli photo-cover FILE ITEM N (the photo at N, from 1, becomes the cover)\n";

class CommandLine;

// Each prints {"item": NAME, "photos": [{"file", "width", "height", "bytes"}, ...]}, returns the exit
// status and throws on failure.
int commandPhotos(const CommandLine& arguments);
int commandPhotoAdd(const CommandLine& arguments);
int commandPhotoRemove(const CommandLine& arguments);
int commandPhotoCover(const CommandLine& arguments);

} // namespace vitrinex::cli
