// An in-memory platform for the core's tests: it records what the core asks of it and
// lets a test fire ticks and input as the window runtime would.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/conformance.h"
#include "platform/platform.h"
#include "platform/prepared_pictures.h"
#include "platform/runtime_error.h"
#include "program/program.h"

namespace pelandra::testing {

// Thrown by endProcess so that nothing after the end runs.
struct ProcessEnded {
    int status;
};

class FakePlatform : public Platform {
  public:
    // --- What the test sets up -------------------------------------------------------
    Text commandLineText;
    bool otherInstanceRuns = false;
    std::optional<uint64_t> previewHost;  // the window a preview may run in, if any
    HostSize previewSize{200, 150};       // ... and its size
    std::optional<HostSize> host;         // the host window the show runs in, if any
    ScreenSize screen{12000, 9000};
    HostSize largest{1920, 1200};  // the largest screen, in pixels
    int32_t cursorCount = 0;
    std::map<Text, Text> stored;  // key name -> text, in the program's own section
    std::optional<RuntimeError> failSaves;
    std::map<Text, std::vector<Text>> folders;  // folder as given -> names in listing order
    std::set<Text> pictures;                    // full paths that load as pictures
    std::set<Text> otherFiles;                  // full paths that exist but are no pictures
    std::set<Text> lockedFiles;                 // full paths this user may not read
    bool mediumUnreadable = false;
    // The medium fails once when a listing is asked for its name at this index (0-based).
    std::optional<size_t> nameReadFailsAt;
    std::function<void()> whileMessageBoxOpen;
    // Pictures finish decoding at once unless this is set; then finishDecoding() ends them.
    bool decodeInBackground = false;
    std::map<Text, int> fileVersions;  // a path's size and time: change it to change the file
    std::optional<RuntimeError> failCreateForm;

    // --- What the core did ---------------------------------------------------------
    std::vector<std::string> created;
    std::vector<std::string> shown;
    std::vector<std::string> maximised;
    std::map<std::string, Text> captions;  // "Form.control"
    std::map<std::string, Twips> geometry;
    std::map<std::string, bool> visible;
    std::map<std::string, int32_t> timerIntervals;
    std::map<std::string, Text> loadedPictures;
    std::vector<Text> loadAttempts;  // every decode started or file not opened, in order
    struct Box {
        Text prompt;
        Text title;
    };
    std::vector<Box> boxes;
    std::vector<Text> consoleLines;
    std::optional<int> exitStatus;
    int showCursorCalls = 0;
    int instanceChecks = 0;
    std::vector<uint64_t> previewRequests;
    std::map<std::string, HostFit> fits;  // by form, the last one
    std::vector<std::string> coveredFor;  // forms that asked for the other screens
    struct Notice {
        Text text;
        Twips where;
    };
    std::map<std::string, Notice> notices;  // by form, while one is shown
    std::vector<Text> saves;                // "Key=Value" in order

    // --- Driving ---------------------------------------------------------------------
    // Runs Program::main; returns the exit status if the process ended.
    std::optional<int> run(Program& program);
    // Delivers an event as the window runtime would; returns the exit status if it ended.
    std::optional<int> fire(std::string_view form, std::string_view control, EventKind kind);
    std::optional<int> tick() { return fire("Form1", "Timer1", EventKind::Timer); }
    // Ends every background decode and announces it as the backends do.
    std::optional<int> finishDecoding();
    bool decoding() const;
    // What a user does to a control (or the window, by its own name), answered with the
    // events a real backend raises for that control's kind (src/platform/README.md).
    std::optional<int> act(std::string_view form, std::string_view control,
                           conformance::Gesture gesture);

    static std::string key(std::string_view form, std::string_view control);

    // --- Platform ------------------------------------------------------------------
    Text commandLine() override { return commandLineText; }
    bool previousInstance() override {
        ++instanceChecks;
        return otherInstanceRuns;
    }
    bool enterPreview(uint64_t parentWindow) override {
        previewRequests.push_back(parentWindow);
        if (previewHost != parentWindow) return false;
        host = previewSize;
        return true;
    }
    std::optional<HostSize> hostWindow() override { return host; }
    HostSize largestScreen() override { return largest; }
    int32_t showCursor(bool show) override;
    [[noreturn]] void endProcess(int status) override;
    void printError(TextView line) override { consoleLines.emplace_back(line); }
    void createForm(const FormDesign& design, EventSink& sink) override;
    void showForm(std::string_view form) override { shown.emplace_back(form); }
    ScreenSize screenSize() override { return screen; }
    void maximiseForm(std::string_view form) override { maximised.emplace_back(form); }
    void setGeometry(std::string_view form, std::string_view control, Twips where) override;
    void setVisible(std::string_view form, std::string_view control, bool isVisible) override;
    void setCaption(std::string_view form, std::string_view control, TextView caption) override;
    void setTimerInterval(std::string_view form, std::string_view control,
                          int32_t milliseconds) override;
    void preparePicture(std::string_view form, std::string_view control, TextView path) override;
    bool pictureReady(std::string_view form, std::string_view control) override;
    void showPreparedPicture(std::string_view form, std::string_view control) override;
    void messageBox(TextView prompt, TextView title) override;
    void coverOtherScreens(std::string_view form) override { coveredFor.emplace_back(form); }
    void fitToHost(std::string_view form, HostFit fit) override { fits[std::string(form)] = fit; }
    void showNotice(std::string_view form, TextView text, Twips where) override;
    Text upperCase(TextView text) override { return asciiUpper(text); }
    Text getSetting(TextView app, TextView section, TextView key, TextView fallback) override;
    void saveSetting(TextView app, TextView section, TextView key, TextView value) override;
    std::unique_ptr<DirectoryReader> openDirectory(TextView folder) override;

  private:
    // Answers from the sets above; decodes at once unless decodeInBackground is set.
    class Decoder : public PictureDecoder {
      public:
        explicit Decoder(FakePlatform& platform) : platform_(platform) {}
        OpenFile open(TextView path) override;
        void start(Job job, OpenFile file, PictureSize size, std::string_view form) override;
        void forget(Job job) override { pending_.erase(job); }
        // Ends every decode started; returns the controls whose pictures finished.
        std::vector<PreparedPictures::Control> finishAll();
        bool busy() const { return !pending_.empty(); }

      private:
        std::optional<PreparedPictures::Control> finish(Job job, const Text& path);
        FakePlatform& platform_;
        std::map<Job, Text> pending_;
    };

    Decoder decoder_{*this};
    PreparedPictures pictures_{decoder_};
    EventSink* sink_ = nullptr;
    std::map<std::string, const FormDesign*, std::less<>> designs_;
};

}  // namespace pelandra::testing
