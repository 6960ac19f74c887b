// The per-user settings store: one INI file whose values are read as the bytes that stand
// there and which is written by changing one value's bytes only.
#pragma once

#include <QString>

#include "platform/text.h"

namespace pelandra::qt {

class IniSettings {
  public:
    // ${XDG_CONFIG_HOME:-$HOME/.config}/pelandra-omnarium/screensaver.ini
    static QString defaultFile();

    explicit IniSettings(QString file) : file_(std::move(file)) {}

    // The value exactly as written in the file, or `fallback` when absent. Bytes that are not
    // UTF-8 come back as file names do (file_name_text.h), so a folder keeps its name.
    Text read(TextView section, TextView key, TextView fallback) const;

    // Writes the file again with only this value changed (or added), through a new file
    // renamed over the old one; throws RuntimeError (70 or 75, naming the file) and leaves
    // the old file as it was when that fails.
    void write(TextView section, TextView key, TextView value) const;

    const QString& file() const { return file_; }

  private:
    QString file_;
};

}  // namespace pelandra::qt
