#pragma once
// The sheet picture on the clipboard: our own programs take the drawing
// itself under a private type; other programs are offered SVG and PNG, made
// only when one of them asks.

#include <QMimeData>

#include "picture/sheet_picture.h"

namespace brevanta::paint {

inline constexpr char kPictureMimeType[] = "application/x-brevanta-sheet-picture";

class PictureMimeData final : public QMimeData {
    Q_OBJECT
public:
    explicit PictureMimeData(SharedPicture picture);

    const SharedPicture& picture() const { return picture_; }

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    SharedPicture picture_;
};

// The sheet picture the clipboard holds, by whichever way it arrived: our
// own data in this process, the private type from another process, or any
// bitmap another program put there. Null when the clipboard holds no picture.
SharedPicture pictureFromMimeData(const QMimeData* data);

// The same for the system clipboard as it is now. Null without a clipboard
// or a picture on it; never fails.
SharedPicture pictureFromClipboard();

}  // namespace brevanta::paint
