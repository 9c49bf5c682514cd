#pragma once

#include <QIcon>
#include <QPixmap>
#include <QVector>

namespace tw::ui {

// Pictures of the wizard, drawn at run time so that no image files travel
// with the program.

inline constexpr int kNodeImageSize = 12;
inline constexpr int kAnimationFrameSize = 48;
inline constexpr int kAnimationFrameCount = 11;

// The tree's node images by image index: 0 folder, 1 page, 2 picture.
QPixmap NodeImage(int imageIndex);
// The same picture as an icon; an index outside 0 to 2 gives a page.
QIcon NodeIcon(int imageIndex);

// The frames of the scan animation: a globe turning under a magnifier.
QVector<QPixmap> SearchAnimationFrames();

// The program's icon: a trail of linked pages over a map sheet.
QPixmap ProgramPicture(int size);
QIcon ProgramIcon();

// The help picture of the window's header: a question mark on a disc.
QPixmap HelpPicture(int size);

} // namespace tw::ui
