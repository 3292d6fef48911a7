// Pictures drawn at run time, so the program ships no image files: the two
// states of the sync button and the splash screen.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace klmw {

// The sync button: two separate pages (off) or two pages joined by a link (on).
QIcon MakeSyncIcon(bool on);
QPixmap MakeSplashPixmap(const QString& version);

}  // namespace klmw
