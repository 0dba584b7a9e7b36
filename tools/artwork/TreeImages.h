#pragma once
// The tree's line images, 12 by 12 pixels side by side, in the 16 standard colours: image 0
// marks a partition (a disc with one slice set apart), image 1 a container (a folder), image 2
// an error header or error line (a red disc with "!"), image 3 the line of a cancelled count
// (a grey disc with the stop square).

#include <QImage>

namespace artwork {

QImage TreeImages();
// The same images 24 by 24 pixels each, for a device pixel ratio of 2.
QImage TreeImages2x();

}  // namespace artwork
