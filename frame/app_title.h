#pragma once
// The product's name and the application title every box and window shows.

#include <QString>

namespace brevanta::frame {

inline constexpr char kProductTitle[] = "Brevanta";

// The application title: the product title cut back by whole words to at most 40 characters.
void setAppTitle();
QString appTitle();
QString titleFromProductTitle(const QString& productTitle);

}  // namespace brevanta::frame
