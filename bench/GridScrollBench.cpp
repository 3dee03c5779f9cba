// Scrolling the room floor's paged grid page by page over 10,000 items: the cost of one page
// turn (parking the cells that leave, loading the ones that come near) and the number of cells
// alive while it runs.
#include "kit/grid/GridView.h"
#include "kit/grid/GridViewLayoutStrategyFactory.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr std::int64_t kItems = 10000;
constexpr std::int64_t kItemsPerPage = 25;
constexpr int kPages = static_cast<int>(kItems / kItemsPerPage);

class Tiles : public GridViewDataSource {
public:
    int created = 0;

    std::int64_t numberOfItemsInGridView(GridView&) override { return kItems; }
    CGSize GridViewSizeForItemsInInterfaceOrientation(GridView&, UIInterfaceOrientation) override
    {
        return CGSizeMake(196, 116);
    }
    std::shared_ptr<GridViewCell> GridViewCellForItemAtIndex(GridView& grid, std::int64_t index) override
    {
        GridViewCellPtr cell = grid.dequeueReusableCell();
        if (!cell) {
            ++created;
            cell = GridViewCell::create();
            cell->setContentView(UIView::create());
        }
        cell->contentView()->setTag(static_cast<int>(index));
        return cell;
    }
};

void GridScrollPageByPage(benchmark::State& state)
{
    auto tiles = std::make_shared<Tiles>();
    auto grid = GridView::create(CGRectMake(0, 0, 1000, 600));
    grid->setLayoutStrategy(GridViewLayoutStrategyFactory::strategyFromType(GridViewLayoutHorizontalPagedLTR));
    grid->setItemSpacing(2);
    grid->setMinEdgeInsets(UIEdgeInsetsMake(5, 5, 5, 5));
    grid->setDataSource(tiles);
    grid->layoutIfNeeded();

    int page = 0;
    std::size_t mostCells = 0;
    for (auto _ : state) {
        // Forward through the list, then one long jump back to the start.
        page = (page + 1) % kPages;
        grid->setContentOffset(CGPointMake(page * 1000.0, 0));
        mostCells = std::max(mostCells, grid->itemSubviews().size());
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["live_cells"] = static_cast<double>(grid->itemSubviews().size());
    state.counters["most_live_cells"] = static_cast<double>(mostCells);
    state.counters["parked_cells"] = static_cast<double>(grid->reusableCellCount());
    state.counters["cells_created"] = tiles->created;
}

} // namespace

BENCHMARK(GridScrollPageByPage)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
