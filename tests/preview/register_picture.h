#pragma once
// A picture shaped like an exported register sheet: about 1,000 pixels wide,
// a 100-pixel title and header, then 27 pixels per transaction, banded.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>

namespace brevanta::testsupport {

inline constexpr int kRegisterPictureWidth = 1000;
inline constexpr int kRegisterHeaderHeight = 100;
inline constexpr int kRegisterRowHeight = 27;

inline int registerPictureHeight(int transactions) {
    return kRegisterHeaderHeight + kRegisterRowHeight * transactions;
}

inline QImage registerPicture(int transactions) {
    QImage picture(kRegisterPictureWidth, registerPictureHeight(transactions), QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    const int columns[] = {0, 100, 180, 420, 560, 640, 760, 880, 1000};
    const char* headers[] = {"Date", "Number", "Description Of Transaction", "Category",
                             "Cleared", "Debit (-)", "Credit (+)", "Balance"};
    QFont title = painter.font();
    title.setPixelSize(24);
    title.setBold(true);
    painter.setFont(title);
    painter.fillRect(0, 0, kRegisterPictureWidth, 60, QColor(31, 78, 121));
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, kRegisterPictureWidth, 60), Qt::AlignCenter, QStringLiteral("Check Register"));
    QFont text = painter.font();
    text.setPixelSize(13);
    text.setBold(true);
    painter.setFont(text);
    painter.fillRect(0, 60, kRegisterPictureWidth, 40, QColor(189, 215, 238));
    painter.setPen(Qt::black);
    for (int column = 0; column < 8; ++column)
        painter.drawText(QRect(columns[column], 60, columns[column + 1] - columns[column], 40), Qt::AlignCenter,
                         QString::fromLatin1(headers[column]));
    text.setBold(false);
    painter.setFont(text);
    double balance = 1000;
    for (int row = 0; row < transactions; ++row) {
        const int top = kRegisterHeaderHeight + row * kRegisterRowHeight;
        if (row % 2 == 1) painter.fillRect(0, top, kRegisterPictureWidth, kRegisterRowHeight, QColor(221, 235, 247));
        const double debit = (row % 3 == 0) ? 0 : 12.5 + row;
        const double credit = (row % 3 == 0) ? 250 : 0;
        balance += credit - debit;
        const QString cells[] = {QStringLiteral("2026-12-%1").arg(row % 28 + 1, 2, 10, QLatin1Char('0')),
                                 QString::number(1001 + row), QStringLiteral("Transaction %1").arg(row + 1),
                                 row % 3 == 0 ? QStringLiteral("Income") : QStringLiteral("Groceries"),
                                 row % 4 == 0 ? QStringLiteral("X") : QString(),
                                 debit > 0 ? QString::number(debit, 'f', 2) : QString(),
                                 credit > 0 ? QString::number(credit, 'f', 2) : QString(),
                                 QString::number(balance, 'f', 2)};
        for (int column = 0; column < 8; ++column)
            painter.drawText(QRect(columns[column] + 4, top, columns[column + 1] - columns[column] - 8,
                                   kRegisterRowHeight),
                             Qt::AlignVCenter | (column >= 5 ? Qt::AlignRight : Qt::AlignLeft), cells[column]);
        painter.setPen(QColor(191, 191, 191));
        painter.drawLine(0, top + kRegisterRowHeight - 1, kRegisterPictureWidth, top + kRegisterRowHeight - 1);
        painter.setPen(Qt::black);
    }
    painter.setPen(QColor(191, 191, 191));
    for (int column = 1; column < 8; ++column)
        painter.drawLine(columns[column], 60, columns[column], picture.height());
    return picture;
}

}  // namespace brevanta::testsupport
