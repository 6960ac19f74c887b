#include "fake_platform.h"

#include <functional>
#include <utility>

#include "settings/settings.h"

namespace pelandra::testing {

namespace {

class FakeReader : public DirectoryReader {
  public:
    FakeReader(std::vector<Text> names, std::optional<size_t>& failAt)
        : names_(std::move(names)), failAt_(failAt) {}
    std::optional<Text> next() override {
        if (failAt_ == at_) {
            failAt_.reset();
            throw RuntimeError::diskNotReady();
        }
        if (at_ >= names_.size()) return std::nullopt;
        return names_[at_++];
    }

  private:
    std::vector<Text> names_;
    std::optional<size_t>& failAt_;
    size_t at_ = 0;
};

}  // namespace

std::optional<int> FakePlatform::run(Program& program) {
    try {
        program.main();
    } catch (const ProcessEnded& ended) {
        return ended.status;
    }
    return std::nullopt;
}

std::optional<int> FakePlatform::fire(std::string_view form, std::string_view control,
                                      EventKind kind) {
    if (!sink_) return std::nullopt;
    try {
        sink_->handle(form, control, kind);
    } catch (const ProcessEnded& ended) {
        return ended.status;
    }
    return std::nullopt;
}

void FakePlatform::showNotice(std::string_view form, TextView text, Twips where) {
    if (text.empty()) {
        notices.erase(std::string(form));
    } else {
        notices[std::string(form)] = {Text(text), where};
    }
}

std::optional<int> FakePlatform::act(std::string_view form, std::string_view control,
                                     conformance::Gesture gesture) {
    using conformance::Gesture;
    const auto found = designs_.find(form);
    if (found == designs_.end()) return std::nullopt;
    const auto raise = [&](std::initializer_list<EventKind> kinds) -> std::optional<int> {
        for (const EventKind kind : kinds) {
            if (auto ended = fire(form, control, kind)) return ended;
        }
        return std::nullopt;
    };
    const bool press = gesture == Gesture::Press || gesture == Gesture::Click ||
                       gesture == Gesture::ClickLeftHalf || gesture == Gesture::ClickRightHalf;
    if (control == form) {
        if (gesture == Gesture::Key) return raise({EventKind::KeyDown});
        if (press) return raise({EventKind::MouseDown});
        if (gesture == Gesture::Move) return raise({EventKind::MouseMove});
        return std::nullopt;
    }
    const ControlDesign* design = found->second->find(control);
    if (!design) return std::nullopt;
    switch (design->kind) {
        case ControlKind::Picture:
            if (gesture == Gesture::Press) return raise({EventKind::MouseDown});
            if (press) return raise({EventKind::MouseDown, EventKind::Click});
            if (gesture == Gesture::Move) return raise({EventKind::MouseMove});
            break;
        case ControlKind::Button:
            if (press && gesture != Gesture::Press) return raise({EventKind::Click});
            break;
        case ControlKind::Spin:
            if (gesture == Gesture::ClickLeftHalf || gesture == Gesture::ArrowLeft)
                return raise({EventKind::SpinDown});
            if (gesture == Gesture::ClickRightHalf || gesture == Gesture::ArrowRight)
                return raise({EventKind::SpinUp});
            break;
        case ControlKind::Panel:  // they keep the pointer from the window and say nothing
        case ControlKind::Label:
        case ControlKind::Timer:
            break;
    }
    return std::nullopt;
}

std::string FakePlatform::key(std::string_view form, std::string_view control) {
    return std::string(form) + "." + std::string(control);
}

int32_t FakePlatform::showCursor(bool show) {
    ++showCursorCalls;
    cursorCount += show ? 1 : -1;
    return cursorCount;
}

void FakePlatform::endProcess(int status) {
    exitStatus = status;
    throw ProcessEnded{status};
}

void FakePlatform::createForm(const FormDesign& design, EventSink& sink) {
    if (failCreateForm) throw *failCreateForm;
    sink_ = &sink;
    created.emplace_back(design.name);
    designs_[std::string(design.name)] = &design;
    for (const auto& control : design.controls) {
        const auto at = key(design.name, control.name);
        captions[at] = Text(control.caption);
        geometry[at] = control.geometry;
        visible[at] = control.visible;
        if (control.kind == ControlKind::Timer) timerIntervals[at] = control.interval;
        if (!control.picture.empty()) loadedPictures[at] = fromUtf8(control.picture);
    }
}

void FakePlatform::setGeometry(std::string_view form, std::string_view control, Twips where) {
    geometry[key(form, control)] = where;
}

void FakePlatform::setVisible(std::string_view form, std::string_view control, bool isVisible) {
    visible[key(form, control)] = isVisible;
}

void FakePlatform::setCaption(std::string_view form, std::string_view control, TextView caption) {
    captions[key(form, control)] = Text(caption);
}

void FakePlatform::setTimerInterval(std::string_view form, std::string_view control,
                                    int32_t milliseconds) {
    timerIntervals[key(form, control)] = milliseconds;
}

PictureDecoder::OpenFile FakePlatform::Decoder::open(TextView path) {
    const Text file(path);
    if (platform_.lockedFiles.count(file)) {
        platform_.loadAttempts.push_back(file);
        throw RuntimeError::permissionDenied();
    }
    if (!platform_.pictures.count(file) && !platform_.otherFiles.count(file)) {
        platform_.loadAttempts.push_back(file);
        throw RuntimeError::fileNotFound();
    }
    const auto version = uint64_t(platform_.fileVersions[file]);
    return {{0, std::hash<Text>()(file), version, version}, std::make_shared<Text>(file)};
}

void FakePlatform::Decoder::start(Job job, OpenFile file, PictureSize, std::string_view) {
    const Text& path = *std::static_pointer_cast<Text>(file.handle);
    platform_.loadAttempts.push_back(path);
    if (platform_.decodeInBackground) {
        pending_[job] = path;
    } else {
        finish(job, path);
    }
}

std::optional<PreparedPictures::Control> FakePlatform::Decoder::finish(Job job, const Text& path) {
    std::optional<RuntimeError> failure;
    if (platform_.otherFiles.count(path)) failure = RuntimeError::invalidPicture();
    return platform_.pictures_.finished(job, failure, std::make_shared<const Text>(path));
}

std::vector<PreparedPictures::Control> FakePlatform::Decoder::finishAll() {
    std::vector<PreparedPictures::Control> finished;
    for (auto pending = std::exchange(pending_, {}); const auto& [job, path] : pending) {
        if (auto control = finish(job, path)) finished.push_back(std::move(*control));
    }
    return finished;
}

void FakePlatform::preparePicture(std::string_view form, std::string_view control, TextView path) {
    const auto design = designs_.find(form);
    const ControlDesign* found = design == designs_.end() ? nullptr : design->second->find(control);
    if (found && found->kind != ControlKind::Picture) {
        return pictures_.refuse(form, control, RuntimeError::invalidArgument());
    }
    pictures_.prepare(form, control, path, {});
}

bool FakePlatform::pictureReady(std::string_view form, std::string_view control) {
    return pictures_.ready(form, control);
}

void FakePlatform::showPreparedPicture(std::string_view form, std::string_view control) {
    const DecodedPixels& pixels = pictures_.picture(form, control);
    loadedPictures[key(form, control)] = *std::static_pointer_cast<const Text>(pixels);
}

bool FakePlatform::decoding() const {
    return decoder_.busy();
}

std::optional<int> FakePlatform::finishDecoding() {
    for (const auto& finished : decoder_.finishAll()) {
        if (auto ended = fire(finished.form, finished.control, EventKind::PictureReady))
            return ended;
    }
    return std::nullopt;
}

void FakePlatform::messageBox(TextView prompt, TextView title) {
    boxes.push_back({Text(prompt), Text(title)});
    if (whileMessageBoxOpen) whileMessageBoxOpen();
}

Text FakePlatform::getSetting(TextView app, TextView section, TextView key, TextView fallback) {
    if (app != settings::kAppTitle || section != settings::kSection) return Text(fallback);
    const auto found = stored.find(Text(key));
    return found == stored.end() ? Text(fallback) : found->second;
}

void FakePlatform::saveSetting(TextView app, TextView section, TextView key, TextView value) {
    if (failSaves) throw *failSaves;
    if (app != settings::kAppTitle || section != settings::kSection) return;
    stored[Text(key)] = Text(value);
    saves.push_back(Text(key) + u"=" + Text(value));
}

std::unique_ptr<DirectoryReader> FakePlatform::openDirectory(TextView folder) {
    if (mediumUnreadable) throw RuntimeError::diskNotReady();
    const auto found = folders.find(Text(folder));
    if (found == folders.end()) return nullptr;
    return std::make_unique<FakeReader>(found->second, nameReadFailsAt);
}

}  // namespace pelandra::testing
