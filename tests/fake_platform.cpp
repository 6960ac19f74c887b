#include "fake_platform.h"

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

void FakePlatform::preparePicture(std::string_view form, std::string_view control, TextView path) {
    const auto at = key(form, control);
    const Text file(path);
    const int version = fileVersions[file];
    const auto found = prepared_.find(at);
    if (found != prepared_.end() && found->second.path == file &&
        found->second.version == version) {
        return;
    }
    loadAttempts.push_back(file);
    Prepared& picture = prepared_[at] = {std::string(form), std::string(control), file, version};
    if (!decodeInBackground) decode(picture);
}

void FakePlatform::decode(Prepared& picture) {
    picture.done = true;
    if (otherFiles.count(picture.path)) {
        picture.failure = RuntimeError::invalidPicture();
    } else if (!pictures.count(picture.path)) {
        picture.failure = RuntimeError::fileNotFound();
    }
}

bool FakePlatform::pictureReady(std::string_view form, std::string_view control) {
    const auto found = prepared_.find(key(form, control));
    return found != prepared_.end() && found->second.done;
}

void FakePlatform::showPreparedPicture(std::string_view form, std::string_view control) {
    const auto at = key(form, control);
    const auto found = prepared_.find(at);
    if (found == prepared_.end() || !found->second.done) throw RuntimeError::invalidArgument();
    if (found->second.failure) throw *found->second.failure;
    loadedPictures[at] = found->second.path;
}

bool FakePlatform::decoding() const {
    for (const auto& [at, picture] : prepared_) {
        if (!picture.done) return true;
    }
    return false;
}

std::optional<int> FakePlatform::finishDecoding() {
    for (auto& [at, picture] : prepared_) {
        if (picture.done) continue;
        decode(picture);
        if (auto ended = fire(picture.form, picture.control, EventKind::PictureReady)) return ended;
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
