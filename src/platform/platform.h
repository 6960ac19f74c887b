// Every service the core needs from the operating system and its window toolkit.
// Implementations: platform/qt (Linux), platform/win32 (Windows), and the tests' fake.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/design.h"
#include "platform/runtime_error.h"
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
    PictureReady,    // a picture control's prepared picture has finished decoding
    HostResized,     // the host window changed size (hosted windows only)
    ScreensChanged,  // screens came or went, changed size, or another became the primary
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

// The client area of another program's window that the show runs inside, in pixels.
struct HostSize {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const HostSize&) const = default;
};

// How a hosted window's layout is drawn in its host: every control's pixel rectangle has its
// edges multiplied by `scale` (so neighbours stay flush), those placed on the window itself
// are then moved by the offset; fonts shrink alike and pictures stretch to their controls.
// The offset is measured from the top-left corner of the window, which covers `area`.
struct HostFit {
    double scale = 1;
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    // The part of the host the window covers, from the host's top-left corner: the whole
    // host unless it is larger than the largest screen (what nobody could see costs nothing).
    HostSize area;
    bool operator==(const HostFit&) const = default;
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
    // A preview request ("/p <window>") names the window the show should run inside. True
    // when the backend will run the show there (the window exists); backends without a
    // preview keep the default, and the request then runs the ordinary show.
    virtual bool enterPreview(uint64_t parentWindow) {
        (void)parentWindow;
        return false;
    }
    // The host window the show runs inside and its size, or nullopt for a show of its own.
    // Asked once at start; the core then applies every rule of a hosted show itself
    // (control/hosted_platform.h), and the backend only attaches its window to the host.
    virtual std::optional<HostSize> hostWindow() { return std::nullopt; }
    // The largest width and the largest height of any screen, in pixels: the most a hosted
    // window is drawn at, for backends whose windows keep their whole area in memory.
    // Others keep the default, {0, 0}: no bound.
    virtual HostSize largestScreen() { return {}; }

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
    // Pictures are decoded away from the thread that delivers input, so that a key ends the
    // show however long a photo takes. A control has at most one prepared picture; when it
    // is kept, decoded again or tried again is PreparedPictures' rule (README.md).
    //
    // Starts decoding the picture file at `path` for the control, at the size it is shown
    // at. Never throws; what decoding meets is kept for showPreparedPicture.
    virtual void preparePicture(std::string_view form, std::string_view control, TextView path) = 0;
    // True when the control's prepared picture has finished decoding, well or not (false
    // when none was prepared). While it is false the backend delivers
    // EventKind::PictureReady on the control once it has.
    virtual bool pictureReady(std::string_view form, std::string_view control) = 0;
    // Makes the finished prepared picture the control's picture; it stays prepared, so
    // preparing the same unchanged file again costs nothing. Throws the RuntimeError its
    // decoding met (File not found, Permission denied, Invalid picture, ...), leaving the
    // shown picture as it was.
    virtual void showPreparedPicture(std::string_view form, std::string_view control) = 0;

    // Modal message box with an OK button only and no icon; returns when closed.
    virtual void messageBox(TextView prompt, TextView title) = 0;
    // Covers every screen but the one the full-screen `form` fills with a plain black,
    // borderless, top-most window showing no pointer, for as long as the form lives, and
    // keeps doing so as screens appear or vanish. Their key, mouse-button and mouse-move
    // events are raised as the form's own surface's (control name = the form's name).
    virtual void coverOtherScreens(std::string_view form) = 0;

    // --- Hosted windows (only called while hostWindow() names a host) -----------------
    // The window covers `fit.area` of its host's client area (from its top-left corner) and
    // draws its layout through `fit`; called again after each HostResized.
    virtual void fitToHost(std::string_view form, HostFit fit) = 0;
    // Draws `text` (lines broken by CR LF) over the window at `where`, a rectangle placed
    // on the window like a control (and fitted like one), light on dark and above every
    // control; an empty text takes it away.
    virtual void showNotice(std::string_view form, TextView text, Twips where) = 0;

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
