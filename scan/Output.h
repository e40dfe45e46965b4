#pragma once

#include "SettingsStore.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

// Where rows and calendars go: standard output, or a file the user names.
class Output {
public:
    virtual ~Output() = default;
    virtual bool Write(std::string_view text) = 0; // false from the first failure on
    virtual bool Finish() = 0;
    virtual std::string Failure() const = 0; // "Fehler beim Schreiben ...: why"
};

class StreamOutput : public Output {
public:
    explicit StreamOutput(std::FILE *stream);
    bool Write(std::string_view text) override;
    bool Finish() override;
    std::string Failure() const override;

private:
    std::FILE *m_stream;
    int m_error = 0;
};

// A file the user names for output. A regular file, or a new one, is replaced whole as by
// FileReplacement: on a full disk, a failed write or no Finish() the old file stays as it
// was. A device, a pipe or a terminal (/dev/stdout, /proc/self/fd/1) is written into, as a
// shell's ">" does, and never replaced by a plain file. A folder is refused, and so is every
// file of `sources` under any of its names (the same path, another path to it, a hard link):
// what the rows are read from stays as it was. `nativeName`, where given, is the name as the
// terminal's bytes that are no UTF-8 (Linux): the file of exactly that name is written.
class FileOutput : public Output {
public:
    FileOutput(const QString &path, const QStringList &sources, const QByteArray &nativeName = {});
    ~FileOutput() override;
    FileOutput(const FileOutput &) = delete;
    FileOutput &operator=(const FileOutput &) = delete;

    bool Ready() const { return m_ok; } // else refused or unopened, Failure() says why
    bool Write(std::string_view text) override;
    bool Finish() override;
    std::string Failure() const override;
    const QString &ErrorString() const { return m_error; }

private:
    QString m_path;
    std::optional<FileReplacement> m_replacement;
    QFile m_device;
    QByteArray m_temporary, m_native; // a native name's file is written beside it, then renamed
    bool m_ok = false;
    QString m_error;
};
