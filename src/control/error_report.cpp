#include "control/error_report.h"

#include <cstdlib>

#include "control/pointer.h"
#include "settings/number_text.h"
#include "settings/settings.h"

namespace pelandra {

Text runtimeErrorText(const RuntimeError& error) {
    return u"Run-time error '" + numberToText(error.number) + u"':\r\n\r\n" + error.description;
}

void reportRuntimeError(Platform& platform, const RuntimeError& error) {
    const Text text = runtimeErrorText(error);
    platform.printError(u"Run-time error '" + numberToText(error.number) + u"': " +
                        error.description);
    showPointer(platform, true);
    platform.messageBox(text, settings::kAppTitle);
    platform.endProcess(1);
    std::abort();  // endProcess does not return
}

}  // namespace pelandra
