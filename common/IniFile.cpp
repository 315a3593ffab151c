#include "IniFile.h"

#include "GbText.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <optional>
#include <vector>

namespace {

enum class Encoding { Utf8, Utf8Bom, Cp936 };

const QByteArray kBom("\xEF\xBB\xBF");
const QString kNewFileEol = QStringLiteral("\r\n");

// One line of the file with the line end it had, so that lines we do not touch are written back as read.
struct Line {
    QString text;
    QString eol;
};

struct Parsed {
    enum Kind { Other, Section, Key } kind = Other;
    QString name; // section or key name, trimmed
    QString value;
};

Parsed parse(const QString& line) {
    Parsed p;
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1Char(';'))) return p;
    if (t.startsWith(QLatin1Char('['))) {
        const qsizetype close = t.indexOf(QLatin1Char(']'));
        if (close > 0) {
            p.kind = Parsed::Section;
            p.name = t.mid(1, close - 1).trimmed();
        }
        return p;
    }
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0) return p; // no '=' (or no name): a line the file keeps but nobody reads
    p.name = t.left(eq).trimmed();
    if (p.name.isEmpty()) return p;
    p.kind = Parsed::Key;
    p.value = t.mid(eq + 1).trimmed();
    return p;
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The whole file in memory for the length of one read or write.
struct Document {
    std::vector<Line> lines;
    Encoding encoding = Encoding::Utf8;
    QString eol = kNewFileEol;

    // [begin, end) of the lines of the first section with that name; begin is the header line.
    std::optional<std::pair<size_t, size_t>> section(const QString& name) const {
        for (size_t i = 0; i < lines.size(); ++i) {
            const Parsed p = parse(lines[i].text);
            if (p.kind != Parsed::Section || !sameName(p.name, name)) continue;
            size_t end = i + 1;
            while (end < lines.size() && parse(lines[end].text).kind != Parsed::Section)
                ++end;
            return std::make_pair(i, end);
        }
        return std::nullopt;
    }

    std::optional<size_t> key(const QString& sectionName, const QString& keyName) const {
        const auto s = section(sectionName);
        if (!s) return std::nullopt;
        for (size_t i = s->first + 1; i < s->second; ++i) {
            const Parsed p = parse(lines[i].text);
            if (p.kind == Parsed::Key && sameName(p.name, keyName)) return i;
        }
        return std::nullopt;
    }

    void insert(size_t at, const QString& text) {
        // The line before a new one may be the last of the file and lack a line end.
        if (at > 0 && lines[at - 1].eol.isEmpty()) lines[at - 1].eol = eol;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), Line{text, eol});
    }

    QString text() const {
        QString out;
        for (const Line& l : lines)
            out += l.text + l.eol;
        return out;
    }
};

QString decodeFile(const QByteArray& bytes, Encoding& encoding) {
    if (bytes.startsWith(kBom)) {
        encoding = Encoding::Utf8Bom;
        return QString::fromUtf8(bytes.mid(kBom.size()));
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        encoding = Encoding::Utf8;
        return text;
    }
    encoding = Encoding::Cp936;
    return gb::decode(bytes);
}

void splitLines(const QString& text, Document& doc) {
    qsizetype start = 0;
    bool eolSeen = false;
    while (start < text.size()) {
        const qsizetype nl = text.indexOf(QLatin1Char('\n'), start);
        if (nl < 0) {
            doc.lines.push_back(Line{text.mid(start), QString()});
            break;
        }
        const bool crlf = nl > start && text.at(nl - 1) == QLatin1Char('\r');
        Line line{text.mid(start, nl - start - (crlf ? 1 : 0)),
                  crlf ? QStringLiteral("\r\n") : QStringLiteral("\n")};
        if (!eolSeen) {
            doc.eol = line.eol; // new lines follow the file's first line end
            eolSeen = true;
        }
        doc.lines.push_back(std::move(line));
        start = nl + 1;
    }
}

enum class Load { Ok, Missing, Failed };

Load load(const QString& path, Document& doc, QString* error) {
    QFile f(path);
    if (!f.exists()) return Load::Missing;
    if (!f.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("cannot read %1: %2").arg(path, f.errorString());
        return Load::Failed;
    }
    const QByteArray bytes = f.readAll();
    f.close();
    splitLines(decodeFile(bytes, doc.encoding), doc);
    return Load::Ok;
}

QByteArray encodeFile(const QString& text, Encoding encoding) {
    switch (encoding) {
    case Encoding::Utf8Bom:
        return kBom + text.toUtf8();
    case Encoding::Cp936: {
        const QByteArray bytes = gb::encode(text);
        // A character the code page lacks would be written as '?' and lost; the file then goes to UTF-8,
        // which every reader of it recognises.
        if (gb::decode(bytes) == text) return bytes;
        return text.toUtf8();
    }
    case Encoding::Utf8:
        break;
    }
    return text.toUtf8();
}

bool readOnly(const QFileInfo& fi) {
    constexpr auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    // No write bit at all is the read-only mark, which holds even for a user the system lets write.
    return !fi.isWritable() || !(fi.permissions() & anyWrite);
}

} // namespace

IniFile::IniFile(QString path) : path_(std::move(path)) {}

bool IniFile::exists() const {
    return QFileInfo(path_).isFile();
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const {
    Document doc;
    if (load(path_, doc, nullptr) != Load::Ok) return def;
    const auto i = doc.key(section, key);
    return i ? parse(doc.lines[*i].text).value : def;
}

int IniFile::readInteger(const QString& section, const QString& key, int def) const {
    const QString s = readString(section, key, QString());
    bool ok = false;
    int v = 0;
    if (s.startsWith(QLatin1Char('$')))
        v = s.mid(1).toInt(&ok, 16);
    else if (s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = s.mid(2).toInt(&ok, 16);
    else
        v = s.toInt(&ok, 10);
    return ok ? v : def;
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    error_.clear();
    Document doc;
    if (load(path_, doc, &error_) == Load::Failed) return false;
    const QFileInfo fi(path_);
    if (fi.exists() && readOnly(fi)) {
        error_ = QStringLiteral("%1 is read-only").arg(path_);
        return false;
    }

    // A line break in a value would end the line and turn the rest into lines of their own.
    QString v = value;
    v.replace(QLatin1String("\r\n"), QLatin1String(" "));
    v.replace(QLatin1Char('\r'), QLatin1Char(' '));
    v.replace(QLatin1Char('\n'), QLatin1Char(' '));

    if (const auto i = doc.key(section, key)) {
        doc.lines[*i].text = parse(doc.lines[*i].text).name + QLatin1Char('=') + v;
    } else if (const auto s = doc.section(section)) {
        // After the section's last non-blank line, so a blank line before the next section stays there.
        size_t at = s->second;
        while (at > s->first + 1 && doc.lines[at - 1].text.trimmed().isEmpty())
            --at;
        doc.insert(at, key + QLatin1Char('=') + v);
    } else {
        if (!doc.lines.empty() && !doc.lines.back().text.trimmed().isEmpty())
            doc.insert(doc.lines.size(), {});
        doc.insert(doc.lines.size(), QLatin1Char('[') + section + QLatin1Char(']'));
        doc.insert(doc.lines.size(), key + QLatin1Char('=') + v);
    }

    QSaveFile out(path_);
    out.setDirectWriteFallback(true);
    const QByteArray bytes = encodeFile(doc.text(), doc.encoding);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        error_ = QStringLiteral("cannot write %1: %2").arg(path_, out.errorString());
        return false;
    }
    return true;
}

bool IniFile::writeInteger(const QString& section, const QString& key, int value) {
    return writeString(section, key, QString::number(value));
}

bool IniFile::sectionExists(const QString& section) const {
    Document doc;
    return load(path_, doc, nullptr) == Load::Ok && doc.section(section).has_value();
}

QStringList IniFile::readSection(const QString& section) const {
    QStringList keys;
    Document doc;
    if (load(path_, doc, nullptr) != Load::Ok) return keys;
    const auto s = doc.section(section);
    if (!s) return keys;
    for (size_t i = s->first + 1; i < s->second; ++i) {
        const Parsed p = parse(doc.lines[i].text);
        if (p.kind == Parsed::Key) keys << p.name;
    }
    return keys;
}
