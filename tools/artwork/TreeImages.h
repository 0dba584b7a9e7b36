#pragma once
// The tree's two line images, 12 by 12 pixels side by side, in the 16 standard colours:
// image 0 marks a partition (a disc with one slice set apart), image 1 a container (a folder).

#include <QImage>

namespace artwork {

QImage TreeImages();

}  // namespace artwork
