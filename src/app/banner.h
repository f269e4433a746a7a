// The banner under the window: a dark strip with the program's name and a
// stylised gauge, drawn once at start; a click on it opens the home page.
#pragma once

#include <QPixmap>

namespace kalvex {

QPixmap DrawBanner(int width, int height);

}  // namespace kalvex
