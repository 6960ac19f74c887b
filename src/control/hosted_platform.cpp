#include "control/hosted_platform.h"

#include <cstdlib>

#include "control/host_fit.h"

namespace pelandra {

namespace {

bool isInput(EventKind kind) {
    return kind == EventKind::KeyDown || kind == EventKind::MouseDown ||
           kind == EventKind::MouseMove || kind == EventKind::Click;
}

}  // namespace

Text oneLine(TextView text) {
    Text line;
    for (const char16_t unit : text) {
        const bool lineBreak = unit == u'\r' || unit == u'\n';
        if (!lineBreak) {
            line += unit;
        } else if (line.empty() || line.back() != u' ') {
            line += u' ';
        }
    }
    return line;
}

HostedPlatform::HostedPlatform(Platform& backend, HostSize host, std::string_view photoControl)
    : backend_(backend),
      photoControl_(photoControl),
      layout_(layoutSizeFor(drawnArea(host, backend.largestScreen()))),
      fit_(fitInto(layout_, drawnArea(host, backend.largestScreen()))) {}

int32_t HostedPlatform::showCursor(bool show) {
    // Counted as the backend would, so every exit still finds the pointer "visible".
    cursorCount_ += show ? 1 : -1;
    return cursorCount_;
}

void HostedPlatform::endProcess(int status) {
    backend_.endProcess(status);
    std::abort();  // endProcess does not return
}

void HostedPlatform::printError(TextView line) {
    backend_.printError(line);
    lastSaid_ = line;
}

void HostedPlatform::createForm(const FormDesign& design, EventSink& sink) {
    Form& form = forms_[std::string(design.name)];
    form.sink = &sink;
    form.fitted = design.style == WindowStyle::FullScreen;
    backend_.createForm(design, *this);
    if (form.fitted) backend_.fitToHost(design.name, fit_);
}

ScreenSize HostedPlatform::screenSize() {
    return twipsOf(layout_, 1);
}

void HostedPlatform::setGeometry(std::string_view form, std::string_view control, Twips where) {
    backend_.setGeometry(form, control, where);
    const auto found = forms_.find(form);
    if (found != forms_.end() && control == photoControl_) found->second.photo = where;
}

void HostedPlatform::showPreparedPicture(std::string_view form, std::string_view control) {
    backend_.showPreparedPicture(form, control);
    // The photos are back: the message goes, and the next failure is said again.
    for (auto& [name, shown] : forms_) {
        if (!shown.noticeShown) continue;
        backend_.showNotice(name, u"", {});
        shown.noticeShown = false;
        lastSaid_.clear();
    }
}

void HostedPlatform::messageBox(TextView prompt, TextView) {
    const Text line = oneLine(prompt);
    if (line != lastSaid_) printError(line);
    for (auto& [name, form] : forms_) {
        if (!form.fitted) continue;
        const ScreenSize whole = twipsOf(layout_, 1);
        const Twips area = form.photo.value_or(Twips{0, 0, whole.width, whole.height});
        backend_.showNotice(name, prompt, noticePlace(area));
        form.noticeShown = true;
    }
}

void HostedPlatform::handle(std::string_view form, std::string_view control, EventKind kind) {
    if (isInput(kind)) return;  // the host watches the keyboard and mouse itself
    if (kind == EventKind::HostResized) {
        refit();
        return;
    }
    const auto found = forms_.find(form);
    if (found != forms_.end() && found->second.sink)
        found->second.sink->handle(form, control, kind);
}

void HostedPlatform::refit() {
    const auto host = backend_.hostWindow();
    if (!host) return;
    // The layout keeps the size it was made for; only its fit into the host changes.
    fit_ = fitInto(layout_, drawnArea(*host, backend_.largestScreen()));
    for (const auto& [name, form] : forms_) {
        if (form.fitted) backend_.fitToHost(name, fit_);
    }
}

}  // namespace pelandra
