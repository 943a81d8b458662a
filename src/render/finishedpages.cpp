#include "render/finishedpages.h"

namespace render {

void FinishedPages::paintPage(int page, QPainter& painter, const PaintOptions& options) const {
    if (page < 0 || page >= finished_) return;
    store_.paintPage(page, painter, options);
}

bool FinishedPages::pageFinished(PageStore&, int page) {
    finished_ = page + 1;
    if (onPage_) onPage_(finished_);
    return true;
}

} // namespace render
