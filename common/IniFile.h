#pragma once
// The settings file as the platform's INI object treats it: every read or write opens the file, finds the
// key and closes it again; section and key names compare without letter case; other lines and comments
// are kept as they are. Read as UTF-8 when the bytes are valid UTF-8, else as CP936, and written back in
// the encoding it was read in (a new file is UTF-8).

#include <QString>
#include <QStringList>

class IniFile {
public:
    explicit IniFile(QString path);

    const QString& path() const { return path_; }
    bool exists() const;

    // The value of Key in [Section], trimmed of blanks, or def when the file, section or key is missing.
    QString readString(const QString& section, const QString& key, const QString& def) const;
    int readInteger(const QString& section, const QString& key, int def) const;
    // Writes the key (creating the file, section or key as needed). False when the file cannot be
    // written; lastError() then says why.
    bool writeString(const QString& section, const QString& key, const QString& value);
    bool writeInteger(const QString& section, const QString& key, int value);

    bool sectionExists(const QString& section) const;
    QStringList readSection(const QString& section) const; // key names in file order
    QString lastError() const { return error_; }

private:
    QString path_;
    QString error_;
};
