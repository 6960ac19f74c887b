// Every service the core needs from the operating system and its window toolkit.
// Implementations: platform/qt (Linux), platform/win32 (Windows), and the tests' fake.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/design.h"
#include "platform/text.h"

namespace pelandra {

// Events the backends deliver. For the window's own surface the control name is the
// form's name.
enum class EventKind {
    KeyDown,
    MouseDown,
    MouseMove,
    Click,
    QueryUnload,  // the window is about to close
    Unload,
    Timer,
    SpinDown,
    SpinUp,
};

class EventSink {
  public:
    virtual ~EventSink() = default;
    virtual void handle(std::string_view form, std::string_view control, EventKind kind) = 0;
};

struct ScreenSize {
    float width = 0;  // twips
    float height = 0;
};

// One pass over a folder's files, in the order the file system delivers them.
class DirectoryReader {
  public:
    virtual ~DirectoryReader() = default;
    // The next file name without its folder, or nullopt when the pass is over. Folders,
    // volume labels and hidden (and on Windows system) files are never returned.
    // Throws RuntimeError when the medium cannot be read.
    virtual std::optional<Text> next() = 0;
};

class Platform {
  public:
    virtual ~Platform() = default;

    // --- Process ---------------------------------------------------------------
    // The arguments as one text, without the program's own path.
    virtual Text commandLine() = 0;
    // True when another copy of this program already runs for this user.
    virtual bool previousInstance() = 0;
    // The pointer's display counter: +1 or -1, returns the new count; the pointer is
    // drawn while the count is zero or more.
    virtual int32_t showCursor(bool show) = 0;
    // Ends the process at once with `status`.
    [[noreturn]] virtual void endProcess(int status) = 0;
    // A line for the console (standard error where there is one).
    virtual void printError(TextView line) = 0;
    // A preview request names the window the show should run inside. True when the
    // backend will run the show there (the window exists); backends without a preview
    // keep the default, and the request then runs the ordinary show.
    virtual bool enterPreview(uint64_t parentWindow) {
        (void)parentWindow;
        return false;
    }

    // --- Windows ---------------------------------------------------------------
    // Builds the window and its controls (hidden) and routes their events to `sink`.
    virtual void createForm(const FormDesign& design, EventSink& sink) = 0;
    // Shows a created window without waiting for it to close.
    virtual void showForm(std::string_view form) = 0;
    virtual ScreenSize screenSize() = 0;
    // Left and top to 0, window state maximised.
    virtual void maximiseForm(std::string_view form) = 0;
    virtual void setGeometry(std::string_view form, std::string_view control, Twips where) = 0;
    virtual void setVisible(std::string_view form, std::string_view control, bool visible) = 0;
    virtual void setCaption(std::string_view form, std::string_view control, TextView caption) = 0;
    // Restarts the timer with a new interval in milliseconds.
    virtual void setTimerInterval(std::string_view form, std::string_view control,
                                  int32_t milliseconds) = 0;
    // Decodes the picture file at `path` and makes it the control's picture. Throws
    // RuntimeError (File not found, Permission denied, Invalid picture, ...) and leaves
    // the shown picture as it was on failure.
    virtual void loadPicture(std::string_view form, std::string_view control, TextView path) = 0;
    // Modal message box with an OK button only and no icon; returns when closed.
    virtual void messageBox(TextView prompt, TextView title) = 0;

    // --- Text ------------------------------------------------------------------
    virtual Text upperCase(TextView text) = 0;

    // --- Per-user settings store ---------------------------------------------------
    // The stored text, or `fallback` when the value is absent.
    virtual Text getSetting(TextView app, TextView section, TextView key, TextView fallback) = 0;
    // Stores the text durably; throws RuntimeError, leaving the old value, on failure.
    virtual void saveSetting(TextView app, TextView section, TextView key, TextView value) = 0;

    // --- Files -------------------------------------------------------------------
    // nullptr when `folder` does not exist; throws RuntimeError when the medium cannot
    // be read. `folder` is used as given (it normally ends with a path separator).
    virtual std::unique_ptr<DirectoryReader> openDirectory(TextView folder) = 0;
};

}  // namespace pelandra
