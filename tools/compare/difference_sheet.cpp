#include "tools/compare/difference_sheet.h"

#include <algorithm>
#include <cstring>

#include "tools/images/comparison_panels.h"

RgbCanvas composeDifferenceSheet(const std::vector<SheetPanel>& panels, int width, int height,
                                 int columns, int amplify) {
    const int count = static_cast<int>(panels.size());
    columns = std::max(1, std::min(columns, count));
    const int rows = (count + columns - 1) / columns;
    const int scale = legendScale(width);
    const int cellWidth = panelColumnWidth(width);
    const int captionHeight = (kGlyphHeight + 4) * scale;
    const int cellHeight = captionHeight + height;
    const int gridHeight = rows * cellHeight + std::max(0, rows - 1) * kPanelGap;
    const int legendHeight = kPanelGap + (kLegendUnitsHigh + 4) * scale;

    RgbCanvas canvas;
    canvas.width = columns * cellWidth + (columns - 1) * kPanelGap;
    canvas.height = gridHeight + legendHeight;
    canvas.rgb.assign(static_cast<std::size_t>(canvas.width) * canvas.height * 3, 0);
    canvas.fill(0, 0, canvas.width, canvas.height, kGapColour);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    for (int p = 0; p < count; ++p) {
        const int left = (p % columns) * (cellWidth + kPanelGap);
        const int top = (p / columns) * (cellHeight + kPanelGap);
        canvas.fill(left, top, cellWidth, captionHeight, kNeitherCovers);
        // A caption too long for its cell at the strip's scale is drawn
        // smaller.
        const std::string& caption = panels[p].caption;
        const int textScale = textWidth(caption, scale) + 4 * scale <= cellWidth ? scale : 1;
        drawText(canvas, left + 2 * scale, top + 2 * scale, caption, textScale, kInk);
        for (int row = 0; row < height; ++row) {
            const std::size_t at =
                (static_cast<std::size_t>(top + captionHeight + row) * canvas.width + left) * 3;
            std::memcpy(&canvas.rgb[at], &panels[p].map[row * rowBytes], rowBytes);
        }
    }
    const int top = gridHeight + kPanelGap;
    canvas.fill(0, top, canvas.width, canvas.height - top, kNeitherCovers);
    drawLegend(canvas, 2 * scale, top + 2 * scale, scale, amplify);
    return canvas;
}
