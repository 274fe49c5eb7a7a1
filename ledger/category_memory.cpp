#include "ledger/category_memory.h"

#include <algorithm>
#include <vector>

namespace brevanta::ledger {

void CategoryMemory::clear() {
    categoryByPayee_.clear();
    descriptions_.clear();
    categories_.clear();
    rows_ = 0;
}

QString CategoryMemory::keyOf(const QString& text) { return text.trimmed().toCaseFolded(); }

QString CategoryMemory::see(QHash<QString, Seen>& seen, const QString& text, qint64 order) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return {};
    // A text already folded is its own key; the key kept in the table is reused.
    QString key = trimmed.toCaseFolded();
    if (key == trimmed) key = trimmed;
    auto known = seen.find(key);
    if (known == seen.end()) known = seen.insert(key, Seen{trimmed, order});
    else *known = Seen{trimmed, order};
    return known.key();
}

void CategoryMemory::remember(const QString& description, const QString& category) {
    const qint64 order = rows_++;
    // The payee's key is the description's key: one string for both tables.
    const QString payee = see(descriptions_, description, order);
    const QString trimmedCategory = category.trimmed();
    see(categories_, category, order);
    if (!payee.isEmpty() && !trimmedCategory.isEmpty()) categoryByPayee_.insert(payee, trimmedCategory);
}

QString CategoryMemory::categoryOf(const QString& description) const {
    return categoryByPayee_.value(keyOf(description));
}

QString CategoryMemory::categoryForField(const QString& description, const QString& shown,
                                         const QString& filled) const {
    const bool typed = !shown.isEmpty() && (filled.isEmpty() || shown != filled);
    return typed ? shown : categoryOf(description);
}

QStringList CategoryMemory::mostRecentFirst(const QHash<QString, Seen>& seen) {
    std::vector<const Seen*> ordered;
    ordered.reserve(size_t(seen.size()));
    for (const Seen& one : seen) ordered.push_back(&one);
    std::sort(ordered.begin(), ordered.end(), [](const Seen* a, const Seen* b) { return a->order > b->order; });
    QStringList texts;
    texts.reserve(qsizetype(ordered.size()));
    for (const Seen* one : ordered) texts << one->text;
    return texts;
}

QStringList CategoryMemory::descriptions() const { return mostRecentFirst(descriptions_); }

QStringList CategoryMemory::categories() const { return mostRecentFirst(categories_); }

}  // namespace brevanta::ledger
