// The Linux platform: Qt 6 Widgets windows, POSIX files, an INI settings file.
#pragma once

#include <QApplication>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/linux/session/desktop_lock.h"
#include "platform/linux/session/instance_lock.h"
#include "platform/linux/settings_file/ini_settings.h"
#include "platform/platform.h"
#include "platform/prepared_pictures.h"
#include "platform/qt/form_window.h"
#include "platform/qt/picture_decoding.h"
#include "platform/qt/screen_covers.h"
#include "platform/qt/x11_destroy_watch.h"
#include "platform/qt/x11_host.h"

class QWindow;

namespace pelandra::qt {

class QtPlatform : public Platform {
  public:
    // Creates the application object unless one exists already (tests make their own).
    QtPlatform(int& argc, char** argv);
    ~QtPlatform() override;

    // Runs the event loop until the last window closes; returns the exit status.
    int run();

    // The window built for `form`, for tests; nullptr before createForm.
    FormWindow* window(std::string_view form) const;
    // The covers of the screens the show does not use, for tests; nullptr before any.
    const ScreenCovers* covers() const { return covers_.get(); }

    // Runs the show inside another program's window: `host` (none in tests) of `hostSize`
    // pixels; the core then applies a hosted show's rules. The constructor calls this when
    // the environment or the arguments name a window that exists.
    void hostIn(QWindow* host, QSize hostSize);
    bool hosted() const { return hosting_.has_value(); }
    // The host now has `size` pixels: the hosted windows tell the core.
    void followHost(QSize size);
    // A full-screen show ends once the desktop blanks or locks the screen itself, as when
    // its window is closed by the system: behind the desktop's lock nobody sees it. A hosted
    // show is left to its host, and the settings dialog to the user.
    void endWithDesktopLock();

    // Where settings and the instance lock live (tests point these elsewhere).
    void setSettingsFile(QString file) { settings_ = IniSettings(std::move(file)); }
    void setLockFile(std::string path) { lockFile_ = std::move(path); }

    Text commandLine() override { return commandLine_; }
    std::optional<HostSize> hostWindow() override;
    HostSize largestScreen() override;
    bool previousInstance() override;
    int32_t showCursor(bool show) override;
    [[noreturn]] void endProcess(int status) override;
    void printError(TextView line) override;

    void createForm(const FormDesign& design, EventSink& sink) override;
    void showForm(std::string_view form) override;
    ScreenSize screenSize() override;
    void maximiseForm(std::string_view form) override;
    void setGeometry(std::string_view form, std::string_view control, Twips where) override;
    void setVisible(std::string_view form, std::string_view control, bool visible) override;
    void setCaption(std::string_view form, std::string_view control, TextView caption) override;
    void setTimerInterval(std::string_view form, std::string_view control,
                          int32_t milliseconds) override;
    void preparePicture(std::string_view form, std::string_view control, TextView path) override;
    bool pictureReady(std::string_view form, std::string_view control) override;
    void showPreparedPicture(std::string_view form, std::string_view control) override;
    void messageBox(TextView prompt, TextView title) override;
    void coverOtherScreens(std::string_view form) override;
    void fitToHost(std::string_view form, HostFit fit) override;
    void showNotice(std::string_view form, TextView text, Twips where) override;

    Text upperCase(TextView text) override;

    Text getSetting(TextView app, TextView section, TextView key, TextView fallback) override;
    void saveSetting(TextView app, TextView section, TextView key, TextView value) override;

    std::unique_ptr<DirectoryReader> openDirectory(TextView folder) override;

    // The process that decodes the photos (started at the first one), for tests.
    decoder::DecoderProcess& pictureDecoder() { return decoder_.process(); }

  private:
    struct Hosting {
        QWindow* parent = nullptr;
        QSize size;
    };

    void attachToHost(const HostRequest& request);
    // Another client destroyed the X window `id`: when it was one of the program's windows,
    // the program ends as when that window is closed by the system.
    void windowGone(uintptr_t id, bool destroyed);
    // The close events of `window`, then the end the event loop would reach once its last
    // window closed.
    void closeAndEnd(FormWindow& window);
    FormWindow& windowFor(std::string_view form) const;
    QWidget& widgetFor(std::string_view form, std::string_view control) const;

    std::unique_ptr<QApplication> ownApp_;
    Text commandLine_;
    std::optional<Hosting> hosting_;
    std::unique_ptr<X11Host> x11Host_;
    std::unique_ptr<QWindow> hostWindow_;
    std::unique_ptr<X11DestroyWatch> destroyWatch_;
    std::unique_ptr<DesktopLock> desktopLock_;
    IniSettings settings_;
    std::string lockFile_;
    InstanceLock lock_;
    int32_t cursorCount_ = 0;
    bool cursorHidden_ = false;
    std::map<std::string, std::unique_ptr<FormWindow>, std::less<>> windows_;
    std::unique_ptr<ScreenCovers> covers_;
    QtPictureDecoder decoder_;
    PreparedPictures pictures_{decoder_};
};

}  // namespace pelandra::qt
