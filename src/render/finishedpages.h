#pragma once
// The pages of a store that a run has finished, while the run still adds to it: a page source that
// shows only finished pages (never the one being laid out) and a sink that counts them as they are
// finished, so that a preview can show the first pages while the later ones are still being made.
#include <functional>

#include "render/renderer.h"

namespace render {

class FinishedPages : public PageSource, public PageSink {
public:
    // onPage is called with the number of finished pages each time one more is finished.
    explicit FinishedPages(const PageStore& store, std::function<void(int)> onPage = {})
        : store_(store), onPage_(std::move(onPage)) {}

    int pageCount() const override { return finished_; }
    QSizeF pageSize(int) const override { return store_.pageSize(); }
    void paintPage(int page, QPainter& painter, const PaintOptions& options = {}) const override;

    bool pageFinished(PageStore& store, int page) override;

private:
    const PageStore& store_;
    std::function<void(int)> onPage_;
    int finished_ = 0;
};

} // namespace render
