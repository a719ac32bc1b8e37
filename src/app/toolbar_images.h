#pragma once
// The pictures of the top panel, drawn in code: the toolbar buttons, the link
// to the product's page and the lit and unlit race pattern indicator.

#include <QIcon>
#include <QPixmap>

namespace velmar::app {

QIcon toolbarIcon(int button); // ImgBtn0 .. ImgBtn9
QIcon homePageIcon();
// Pattern 0 本命, 1 順当, 2 波乱, 3 大穴.
QPixmap patternImage(int pattern, bool lit);

} // namespace velmar::app
