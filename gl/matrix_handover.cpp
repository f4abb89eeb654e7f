#include "gl/matrix_handover.h"

void toColumnMajorFloats(const Matrix4& m, float out[16]) {
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            out[4 * column + row] = static_cast<float>(m.at(row, column));
        }
    }
}
