#include "store/RecordFile.h"

#include <algorithm>

int clampFindWords(int value) {
    return std::clamp(value, 10, 250);
}

void mergeFileState(const RecordFileData& data, FindState& find, FileSettings& settings) {
    find.items.append(data.findItems);
    for (size_t c = 0; c < data.findChecks.size(); ++c)
        if (data.findChecks[c])
            find.checks[c] = *data.findChecks[c];
    if (data.saveAndClose)
        settings.saveAndClose = *data.saveAndClose;
    if (data.findWords)
        settings.findWords = clampFindWords(*data.findWords);
    if (data.panelGrupHeight)
        settings.panelGrupHeight = *data.panelGrupHeight;
    if (data.panelMainWidth)
        settings.panelMainWidth = *data.panelMainWidth;
}
