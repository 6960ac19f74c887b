// The rules of a show that runs inside another program's window (XScreenSaver's window, the
// Windows preview), kept in one place for every backend. The program talks to this layer
// instead of the backend while hosted; it passes everything on except that
// - there is no single-instance lock (a host may run its preview and its full screen),
// - the pointer, the keyboard and the mouse belong to the host: pointer calls are only
//   counted and input events never reach the windows' handlers,
// - a message box, which nobody could see or close there, becomes a message drawn over
//   the photo, said once on standard error (the host's log) until the photos return,
// - the 800 x 600 design is laid out for the host's size (at least 800 x 600, at most the
//   largest screen's) and drawn shrunk uniformly and centred, again whenever the host is
//   resized; a host larger than every screen is drawn only in its top-left screen's worth,
// - the other screens are not the show's to cover.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace pelandra {

class HostedPlatform : public Platform, private EventSink {
  public:
    // `photoControl` names the control the photos are shown in, where the message is drawn.
    HostedPlatform(Platform& backend, HostSize host, std::string_view photoControl);

    HostSize layoutSize() const { return layout_; }
    HostFit fit() const { return fit_; }

    Text commandLine() override { return backend_.commandLine(); }
    bool previousInstance() override { return false; }
    int32_t showCursor(bool show) override;
    [[noreturn]] void endProcess(int status) override;
    void printError(TextView line) override;
    std::optional<HostSize> hostWindow() override { return backend_.hostWindow(); }
    HostSize largestScreen() override { return backend_.largestScreen(); }

    void createForm(const FormDesign& design, EventSink& sink) override;
    void showForm(std::string_view form) override { backend_.showForm(form); }
    ScreenSize screenSize() override;
    void maximiseForm(std::string_view form) override { backend_.maximiseForm(form); }
    void setGeometry(std::string_view form, std::string_view control, Twips where) override;
    void setVisible(std::string_view form, std::string_view control, bool visible) override {
        backend_.setVisible(form, control, visible);
    }
    void setCaption(std::string_view form, std::string_view control, TextView caption) override {
        backend_.setCaption(form, control, caption);
    }
    void setTimerInterval(std::string_view form, std::string_view control,
                          int32_t milliseconds) override {
        backend_.setTimerInterval(form, control, milliseconds);
    }
    void preparePicture(std::string_view form, std::string_view control, TextView path) override {
        backend_.preparePicture(form, control, path);
    }
    bool pictureReady(std::string_view form, std::string_view control) override {
        return backend_.pictureReady(form, control);
    }
    void showPreparedPicture(std::string_view form, std::string_view control) override;
    void messageBox(TextView prompt, TextView title) override;
    // The host's window is the show's only screen.
    void coverOtherScreens(std::string_view) override {}
    void fitToHost(std::string_view form, HostFit fit) override { backend_.fitToHost(form, fit); }
    void showNotice(std::string_view form, TextView text, Twips where) override {
        backend_.showNotice(form, text, where);
    }

    Text upperCase(TextView text) override { return backend_.upperCase(text); }
    Text getSetting(TextView app, TextView section, TextView key, TextView fallback) override {
        return backend_.getSetting(app, section, key, fallback);
    }
    void saveSetting(TextView app, TextView section, TextView key, TextView value) override {
        backend_.saveSetting(app, section, key, value);
    }
    std::unique_ptr<DirectoryReader> openDirectory(TextView folder) override {
        return backend_.openDirectory(folder);
    }

  private:
    struct Form {
        EventSink* sink = nullptr;
        bool fitted = false;         // a full-screen window, drawn through the fit
        std::optional<Twips> photo;  // where the photo frame is, for the message
        bool noticeShown = false;
    };

    // Events from the backend's windows, on their way to the program.
    void handle(std::string_view form, std::string_view control, EventKind kind) override;
    void refit();

    Platform& backend_;
    std::string photoControl_;
    HostSize layout_;
    HostFit fit_;
    int32_t cursorCount_ = 0;
    Text lastSaid_;  // the same message is said once, not on every tick that repeats it
    std::map<std::string, Form, std::less<>> forms_;
};

// A message box's text on one line: every run of line breaks becomes one blank.
Text oneLine(TextView text);

}  // namespace pelandra
