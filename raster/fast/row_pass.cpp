// The viewer's software frame in one pass over the rows. It does what
// clearing the whole buffers (prepareFrameBuffers in frame_buffers.cpp),
// filling every span (shade_rows.cpp) and converting the whole colour
// buffer to window bytes (presentColorBuffer in gl/present.cpp) do one after
// another, a band of rows at a time while the rows are in cache; the buffers
// and the bytes come out the same.
#include "raster/fast/row_pass.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "raster/buffers/frame_buffers.h"
#include "raster/buffers/window_bytes.h"

namespace {

// Rows per band: enough for every SIMD lane to find work (at least
// kFewestBandRows), few enough that a band's pixels stay in cache from its
// clear through its fill to its conversion (about kBandPixels, at most
// kMostBandRows).
constexpr int kFewestBandRows = 32;
constexpr int kMostBandRows = 64;
constexpr int kBandPixels = 1 << 16;

int bandRows(int width) {
    return std::max(kFewestBandRows, std::min(kMostBandRows, kBandPixels / std::max(width, 1)));
}

// Windows of more pixels than this hand their bands over in fewer, larger
// pieces (see runRowPass), each of at most kLargestPiecePixels: the GL
// library keeps storage the size of the largest picture it was handed, even
// after the window shrinks.
constexpr long long kLargeWindowPixels = 1LL << 20;
constexpr long long kLargestPiecePixels = 1LL << 20;

// The end of the band of `rows` rows that starts at row `first`: a short last
// band would leave most lanes without a row, so it joins the band before.
int bandEnd(int first, int drawnEnd, int rows) {
    return drawnEnd - first < rows + rows / 2 ? drawnEnd : first + rows;
}

// The columns [first, end) of row y that its spans cover.
IndexRange spanColumns(const RowPass& pass, int y) {
    IndexRange columns{pass.width, 0};
    for (std::uint32_t i = pass.rowStart[y]; i < pass.rowStart[y + 1]; ++i) {
        columns.first = std::min(columns.first, pass.spans[i].span.startColumn);
        columns.end = std::max(columns.end, pass.spans[i].span.endColumn);
    }
    return columns;
}

// Row y of the drawn rectangle as window bytes; outside `covered` the row
// holds the cleared white, whose bytes are all 255.
void convertRow(const RowPass& pass, int y, IndexRange covered) {
    const PixelBounds& rect = pass.drawn;
    const std::size_t columns = static_cast<std::size_t>(rect.lastColumn - rect.firstColumn + 1);
    std::uint8_t* out = pass.bgra + static_cast<std::size_t>(y - rect.firstRow) * columns * 4;
    if (covered.first >= covered.end) {
        std::memset(out, 0xff, columns * 4);
        return;
    }
    const std::size_t before = static_cast<std::size_t>(covered.first - rect.firstColumn);
    const std::size_t inside = static_cast<std::size_t>(covered.end - covered.first);
    std::memset(out, 0xff, before * 4);
    const Color* row =
        pass.buffers->color + static_cast<std::size_t>(y) * static_cast<std::size_t>(pass.width);
    rw::convertToBgra(row + covered.first, inside, out + before * 4);
    std::memset(out + (before + inside) * 4, 0xff, (columns - before - inside) * 4);
}

// Rows [first, end) of the picture, columns `covered` only.
WindowPicture bandPicture(const RowPass& pass, int first, int end, IndexRange covered) {
    const PixelBounds& rect = pass.drawn;
    const int columns = rect.lastColumn - rect.firstColumn + 1;
    const std::size_t offset =
        (static_cast<std::size_t>(first - rect.firstRow) * static_cast<std::size_t>(columns) +
         static_cast<std::size_t>(covered.first - rect.firstColumn)) *
        4;
    return WindowPicture{PixelBounds{covered.first, first, covered.end - 1, end - 1},
                         pass.bgra + offset, columns};
}

}  // namespace

void runRowPass(const RowPass& pass, const std::function<void(int, int)>& shadeBand,
                const PictureBands& bands) {
    // Written rows outside the drawn ones only need their clear.
    const PixelBounds& rect = pass.drawn;
    FrameBuffers& buffers = *pass.buffers;
    const IndexRange written = writtenRows(buffers);
    const int drawnFirst = rect.empty() ? written.end : rect.firstRow;
    const int drawnEnd = rect.empty() ? written.end : rect.lastRow + 1;
    for (int y = written.first; y < std::min(written.end, drawnFirst); ++y)
        clearWrittenRow(buffers, y);
    for (int y = std::max(written.first, drawnEnd); y < written.end; ++y)
        clearWrittenRow(buffers, y);

    // Each hand-over costs the receiver a fixed amount on this thread that
    // grows with the window (Mesa's llvmpipe sets up its whole frame for
    // every flush), and only the last piece is drawn after the lighting is
    // done. In a large window bands are therefore gathered into pieces, each
    // handed over once it holds at least half as many rows as are still to
    // come, or once the next band would make it too large: after the first
    // band, a few large pieces, then smaller ones.
    const bool gather = static_cast<long long>(pass.width) * pass.height > kLargeWindowPixels;
    const int rows = bandRows(pass.width);
    int pieceFirst = drawnFirst;
    const auto pieceFull = [&](int end) {
        return 2 * (end - pieceFirst) >= drawnEnd - end ||
               static_cast<long long>(bandEnd(end, drawnEnd, rows) - pieceFirst) * pass.width >
                   kLargestPiecePixels;
    };
    IndexRange piece{pass.width, 0};
    for (int first = drawnFirst, end = first; first < drawnEnd; first = end) {
        end = bandEnd(first, drawnEnd, rows);
        for (int y = first; y < end; ++y) clearWrittenRow(buffers, y);
        shadeBand(first, end);
        for (int y = first; y < end; ++y) {
            const IndexRange covered = spanColumns(pass, y);
            noteWrittenColumns(buffers, y, covered.first, covered.end);
            convertRow(pass, y, covered);
            piece.first = std::min(piece.first, covered.first);
            piece.end = std::max(piece.end, covered.end);
        }
        if (gather && pieceFirst != drawnFirst && !pieceFull(end)) continue;
        if (bands && piece.first < piece.end) bands(bandPicture(pass, pieceFirst, end, piece));
        pieceFirst = end;
        piece = IndexRange{pass.width, 0};
    }
    finishWrittenRows(buffers);
}
