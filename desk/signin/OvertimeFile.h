#pragma once
// The per-day lists of overtime swipes: AddShift/ASyyMMdd.txt in the home, one card number a line,
// lines ended by CR LF, only ever appended to. A card found in yesterday's list is late only after the
// grace time.

#include <QDate>
#include <QString>

class OvertimeFile {
public:
    explicit OvertimeFile(QString homeDir);

    static QString fileName(const QDate& day); // "AS060109.txt"
    QString dirPath() const;                   // home/AddShift
    QString filePath(const QDate& day) const;

    // Appends the text and CR LF to the day's file, creating AddShift and the file when missing. False
    // with *error set when the folder cannot be made or the line cannot be written.
    bool AppendLine(const QDate& day, const QString& text, QString* error) const;

    // Whether a line of the day's file equals the text (whole line, letter case significant). False when
    // the file does not exist; false with *error set when it exists but cannot be read.
    bool FindLine(const QDate& day, const QString& text, QString* error) const;

private:
    QString home_;
};
