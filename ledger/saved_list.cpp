#include "ledger/saved_list.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

#include "frame/failure.h"
#include "frame/ini_text.h"
#include "frame/safe_file.h"

namespace brevanta::reg {
namespace {

constexpr QChar kRecordEnd = u'|';
constexpr QChar kFieldSeparator = u'^';
constexpr QChar kEscape = u'\x1B';

const QString kKey = QStringLiteral("Check Register");

}  // namespace

QString encodeSavedField(const QString& text) {
    const auto special = [](QChar c) { return c == kRecordEnd || c == kFieldSeparator || c == kEscape; };
    if (std::none_of(text.cbegin(), text.cend(), special)) return text;
    QString stored;
    stored.reserve(text.size() + 8);
    for (QChar c : text) {
        if (c == kRecordEnd) stored += QStringLiteral("\x1Bp");
        else if (c == kFieldSeparator) stored += QStringLiteral("\x1B" "c");
        else if (c == kEscape) stored += QStringLiteral("\x1B" "e");
        else stored += c;
    }
    return stored;
}

QString decodeSavedField(const QString& stored) {
    if (!stored.contains(kEscape)) return stored;
    QString text;
    text.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QChar c = stored.at(i);
        if (c == kEscape && i + 1 < stored.size()) {
            const QChar code = stored.at(i + 1);
            if (code == QLatin1Char('p')) { text += kRecordEnd; ++i; continue; }
            if (code == QLatin1Char('c')) { text += kFieldSeparator; ++i; continue; }
            if (code == QLatin1Char('e')) { text += kEscape; ++i; continue; }
        }
        text += c;
    }
    return text;
}

void appendSavedRecord(QString& value, const Transaction& fields) {
    for (int field = 0; field < kFieldCount; ++field) {
        if (field > 0) value += kFieldSeparator;
        value += encodeSavedField(fields[static_cast<size_t>(field)]);
    }
    value += kRecordEnd;
}

QString encodeSavedRecord(const Transaction& fields) {
    QString record;
    appendSavedRecord(record, fields);
    return record;
}

QString encodeSavedList(const std::vector<Transaction>& rows) {
    TransactionList list(rows);
    return encodeSavedList(list);
}

QString encodeSavedList(const TransactionSource& rows) {
    QString value;
    const int count = rows.rowCount();
    for (int row = 1; row <= count; ++row) {
        Transaction fields;
        for (int field = 0; field < kFieldCount; ++field) fields[static_cast<size_t>(field)] = rows.field(row, field);
        value += encodeSavedRecord(fields);
    }
    return value;
}

std::vector<QStringView> savedListPieces(QStringView value) {
    std::vector<QStringView> pieces;
    qsizetype pieceStart = 0;
    while (pieceStart < value.size()) {
        qsizetype pieceEnd = value.indexOf(kRecordEnd, pieceStart);
        if (pieceEnd < 0) pieceEnd = value.size();
        pieces.push_back(value.mid(pieceStart, pieceEnd - pieceStart));
        pieceStart = pieceEnd + 1;
    }
    return pieces;
}

SavedRecord decodeSavedRecord(QStringView piece) {
    SavedRecord record;
    qsizetype partStart = 0;
    int part = 0;
    while (true) {
        qsizetype partEnd = piece.indexOf(kFieldSeparator, partStart);
        const bool last = partEnd < 0;
        if (last) partEnd = piece.size();
        if (part < kFieldCount)
            record.fields[static_cast<size_t>(part)] = decodeSavedField(piece.mid(partStart, partEnd - partStart).toString());
        ++part;
        if (last) break;
        partStart = partEnd + 1;
    }
    record.partCount = std::min(part, kFieldCount);
    return record;
}

std::vector<SavedRecord> decodeSavedList(const QString& value) {
    std::vector<SavedRecord> records;
    for (const QStringView piece : savedListPieces(value))
        if (!piece.isEmpty()) records.push_back(decodeSavedRecord(piece));
    return records;
}


QString SavedListStore::read() const {
    if (settings_.isSomethingButARegularFile())
        throw frame::Failure(settingsFile() + QStringLiteral(" is not a regular file"));
    const auto settings = settings_.open();
    if (!settings->contains(kKey)) return {};
    // Only a text is a stored list. Anything else (a value with an unquoted
    // comma reads as a list of texts, "@Rect(...)", "@Variant(...)") is a
    // value written by hand that must not be taken for an empty list.
    const QVariant value = settings->value(kKey);
    if (value.typeId() != QMetaType::QString) throw frame::Failure(frame::failures::kTypeMismatch);
    return value.toString();
}

QString SavedListStore::readBeside(const QString& key) const { return settings_.readText(key); }

QString SavedListStore::keepCopyAside(const QDateTime& now) const {
    const QString path = settingsFile();
    if (path.isEmpty() || !QFileInfo::exists(path)) return {};
    const QString stem = path + QStringLiteral(".unreadable-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString copy = stem;
    for (int number = 2; QFileInfo::exists(copy) || QFileInfo(copy).isSymLink(); ++number)
        copy = stem + QStringLiteral("-%1").arg(number);
    if (settings_.isSomethingButARegularFile()) {
        // Copying would read it (and block on a FIFO); it is moved aside
        // whole instead, so that the next start does not meet it again.
        if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(copy).constData()) != 0)
            throw frame::Failure(QStringLiteral("Cannot move ") + path + QStringLiteral(" aside: ") +
                                 QString::fromLocal8Bit(std::strerror(errno)));
        return copy;
    }
    frame::copyFileSafely(path, copy);
    return copy;
}


QString SavedListStore::settingsFile() const { return settings_.file(); }

void SavedListStore::write(const QString& value) const { writeBeside(kKey, value); }

void SavedListStore::writeBeside(const QString& key, const QString& value) const { settings_.writeText(key, value); }

}  // namespace brevanta::reg
