#pragma once
// Applies a LUT file with OpenColorIO (its Python binding, run as a separate process), so tests
// can check that the files the program writes are read by a widely used colour library the way
// the program means them. Needs /usr/bin/python3 with PyOpenColorIO (scripts/deps installs it).

#include "colour/lut3d.h"

#include <QString>
#include <QVector>

namespace opencolorio {

// The output of `file` (trilinear interpolation) for each input triple, in order. False, with
// the reason in *error, when Python or OpenColorIO is missing or refuses the file.
bool apply(const QString& file, const QVector<LutRgb>& inputs, QVector<LutRgb>* outputs,
           QString* error);

} // namespace opencolorio
