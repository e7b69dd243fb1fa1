#pragma once
// The printer a printed collection list is drawn on: text at a point in a font and size, text
// widths, the page size and resolution, new pages, and the start and end of a print job.
// Positions and sizes are in printer pixels from the top-left of the printable area.

#include <QString>

#include <stdexcept>

namespace vitrinex {

class Printer {
public:
    virtual ~Printer() = default;

    virtual void beginDoc() = 0;
    virtual void endDoc() = 0;
    // Ends the job without finishing it: a printer that can withdraw what it was sent does.
    virtual void abortDoc() = 0;
    virtual void newPage() = 0;

    virtual void setFont(const QString& family, int pointSize) = 0;
    // Width of `text` in the current font.
    virtual int textWidth(const QString& text) = 0;
    // Draws `text` with the top of its line at `y`.
    virtual void textOut(int x, int y, const QString& text) = 0;

    virtual int pageWidth() const = 0;
    virtual int pageHeight() const = 0;
    // Horizontal resolution in pixels per inch.
    virtual int resolution() const = 0;
};

// A print job the printing layer could not start or finish.
class EPrinterError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A print job the user stopped; the job was aborted.
class EPrintCancelled : public std::runtime_error {
public:
    EPrintCancelled() : std::runtime_error("printing cancelled") {}
};

} // namespace vitrinex
