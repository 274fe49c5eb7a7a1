#pragma once
// What the register remembers of its categories: for each payee (the
// Description), the category of its most recent row, and the descriptions
// and categories met so far, for completing what is typed.
//
// "Most recent" is the list's order: rows are remembered from the first to
// the last, and a later row replaces what an earlier one said. The list's
// order is the order in which rows were typed or imported, so the last row
// is the user's latest decision; it needs no date that reads, and the
// headless tool and the window see the same order.
//
// Descriptions are compared trimmed and without regard to case ("Corner
// Cafe" and " CORNER CAFE" are one payee). A row with an empty category says
// nothing of its payee's category: the earlier one stays.

#include <QHash>
#include <QString>
#include <QStringList>

namespace brevanta::ledger {

class CategoryMemory {
public:
    // Forgets every row.
    void clear();
    // One row of the list; each call is more recent than the ones before it.
    void remember(const QString& description, const QString& category);

    // The category of the most recent row with this description that has
    // one; empty when none has.
    QString categoryOf(const QString& description) const;

    // What the Category field holds once the Description reads `description`.
    // `shown` is the field's text and `filled` what this memory last put there
    // (empty when nothing, or when the user has typed in the field since). An
    // empty field, or one still holding the earlier fill, takes the
    // description's category (empty when none is known); a category the user
    // typed is never replaced.
    QString categoryForField(const QString& description, const QString& shown, const QString& filled) const;

    // The distinct descriptions and categories, most recent first, each as
    // its most recent row writes it (trimmed).
    QStringList descriptions() const;
    QStringList categories() const;

private:
    // A text met in the list, as last written, and when.
    struct Seen {
        QString text;
        qint64 order = 0;
    };
    static QString keyOf(const QString& text);
    // Remembers `text` (trimmed) as met at `order`; answers its key, empty for a blank text.
    static QString see(QHash<QString, Seen>& seen, const QString& text, qint64 order);
    static QStringList mostRecentFirst(const QHash<QString, Seen>& seen);

    QHash<QString, QString> categoryByPayee_;  // payee key → its most recent non-empty category
    QHash<QString, Seen> descriptions_;        // key → text
    QHash<QString, Seen> categories_;
    qint64 rows_ = 0;
};

}  // namespace brevanta::ledger
