// The Windows backend: the core's platform services on the plain Win32 API.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/prepared_pictures.h"
#include "platform/win32/form_window.h"
#include "platform/win32/picture_decoding.h"
#include "platform/win32/picture_worker.h"
#include "platform/win32/screen_covers.h"

namespace pelandra::win32 {

class Win32Platform : public Platform {
  public:
    // `decode` decodes the show's pictures on the picture worker's thread (tests hold it
    // back or count it).
    explicit Win32Platform(HINSTANCE instance, PictureWorker::Decode decode = decodePictureFile);
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;
    ~Win32Platform() override;

    // The message loop, until the last window is gone; returns the exit status.
    int run();

    // The built window of that name, or nullptr.
    FormWindow* form(std::string_view name);

    Text commandLine() override;
    bool enterPreview(uint64_t parentWindow) override;
    std::optional<HostSize> hostWindow() override;
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

  private:
    FormWindow& formNamed(std::string_view name);

    HINSTANCE instance_;
    HANDLE instanceLock_ = nullptr;
    HWND previewParent_ = nullptr;
    WorkerPictureDecoder decoder_;  // outlives the windows it posts to
    PreparedPictures pictures_{decoder_};
    std::vector<std::unique_ptr<FormWindow>> forms_;
    std::unique_ptr<ScreenCovers> covers_;
    int liveForms_ = 0;
};

// The arguments of a Windows command line: what follows the program's own path.
Text argumentsOf(std::wstring_view commandLine);

}  // namespace pelandra::win32
