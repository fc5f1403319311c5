// Scrolling the batch window's list of 10,000 waybills: the model's answers
// for one visible page (every cell, the roles a table view asks for, through
// the "要確認のみ" filter model as the view reads it), and one repaint of the
// view after a page step, rendered into an image of its size.  One row in eight is marked (no telephone), so that
// amber cells and reasons are drawn too.
#include "app/BatchModel.h"
#include "base/cp932.h"
#include "orders/OrderBatch.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QTableView>
#include <benchmark/benchmark.h>

#include <memory>

using namespace hoxa;

namespace {

constexpr int kRows = 10000;

OrderBatch TenThousandWaybills()
{
    std::string f = "注文番号,送付先郵便番号1,送付先郵便番号2,送付先住所都道府県,送付先住所郡市区,送付先住所それ以降の住所,"
                    "送付先姓,送付先名,送付先電話番号1,送付先電話番号2,送付先電話番号3,商品名,個数\r\n";
    for (int i = 0; i < kRows; ++i) {
        const std::string n = IntToStr(i);
        f += "100001-" + n + ",107,0061,東京都,港区,北青山" + IntToStr(i % 9 + 1) + "-" + IntToStr(i % 17 + 1) +
             (i % 3 ? "" : " 架空ハイツ" + IntToStr(i % 500 + 101)) + ",見本,太郎" + n + "," +
             (i % 8 ? "03,3401," + IntToStr(1000 + i % 9000) : ",,") + ",手作り石けん 無香料 100g," + IntToStr(i % 3 + 1) +
             "\r\n";
    }
    const OrderTable table = ParseOrderFile(f);
    return OrderBatch(table, *RecogniseOrderFormat(table.Header()), "orders.csv");
}

struct List {
    TBatchModel model;
    TMarkedRowsFilter filter;
    QTableView view;
    List()
    {
        model.SetBatch(TenThousandWaybills());
        filter.setSourceModel(&model);
        view.setModel(&filter);
        view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view.resize(1100, 560);
        view.show();
        QCoreApplication::processEvents();  // laid out: the scroll bar knows its range
    }
    int VisibleRows() const { return view.rowAt(view.viewport()->height() - 1) - view.rowAt(0) + 1; }
};

List& TheList()
{
    static List list;
    return list;
}

// What QStyledItemDelegate asks of each cell it paints.
constexpr int kRoles[] = {Qt::DisplayRole,    Qt::DecorationRole, Qt::FontRole,       Qt::TextAlignmentRole,
                          Qt::ForegroundRole, Qt::CheckStateRole, Qt::BackgroundRole};

void BM_BatchListPageData(benchmark::State& state)
{
    List& list = TheList();
    const int rows = list.VisibleRows();
    int top = 0;
    for (auto _ : state) {
        for (int r = top; r < top + rows; ++r)
            for (int c = 0; c < TBatchModel::ColumnCount; ++c) {
                const QModelIndex cell = list.filter.index(r, c);
                for (const int role : kRoles) benchmark::DoNotOptimize(cell.data(role));
            }
        top = (top + rows) % (kRows - rows);
    }
    state.counters["rows"] = kRows;
    state.counters["visible_rows"] = rows;
}
BENCHMARK(BM_BatchListPageData)->Unit(benchmark::kMicrosecond);

void BM_BatchListScrollRepaint(benchmark::State& state)
{
    List& list = TheList();
    QScrollBar* bar = list.view.verticalScrollBar();
    if (bar->maximum() <= 0) {
        state.SkipWithError("the list does not scroll");
        return;
    }
    // Painted into an image of the view's size, as the screen would get it.
    QImage screen(list.view.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        bar->setValue((bar->value() + bar->pageStep()) % bar->maximum());
        list.view.render(&screen);
    }
    state.counters["visible_rows"] = list.VisibleRows();
    state.counters["pixels"] = static_cast<double>(screen.width()) * screen.height();
}
BENCHMARK(BM_BatchListScrollRepaint)->Unit(benchmark::kMillisecond);

}  // namespace
