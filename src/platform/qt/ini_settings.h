// The per-user settings store: one INI file read and written through QSettings.
#pragma once

#include <QString>

#include "platform/text.h"

namespace pelandra::qt {

class IniSettings {
  public:
    // ${XDG_CONFIG_HOME:-$HOME/.config}/pelandra-omnarium/screensaver.ini
    static QString defaultFile();

    explicit IniSettings(QString file) : file_(std::move(file)) {}

    // The value exactly as written in the file, or `fallback` when absent.
    Text read(TextView section, TextView key, TextView fallback) const;

    // Writes through a new file renamed over the old one; throws RuntimeError (70 or 75,
    // naming the file) and leaves the old file as it was when that fails.
    void write(TextView section, TextView key, TextView value) const;

    const QString& file() const { return file_; }

  private:
    QString file_;
};

}  // namespace pelandra::qt
