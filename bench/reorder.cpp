// One pointer-move exchange of a reorder drag across 100,000 entries, with the window
// and its view attached, at positions 1, 50,000 and 99,999.
#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTreeView>
#include <cstdio>

#include "app/Form1.h"
#include "bench/BenchUtil.h"
#include "support/Fakes.h"

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    vx::test::FakePlatform p;
    p.ui.pointer = {0, 330};
    vx::Form1 form(p.platform);
    form.show();
    for (int i = 0; i < 100000; ++i) form.List().append("/data/file-" + std::to_string(i) + ".txt");
    QApplication::processEvents();
    auto* view = form.findChild<QTreeView*>("ListView1");
    QWidget* vp = view->viewport();

    for (const int position : {1, 50000, 99999}) {
        const QModelIndex from = view->model()->index(position - 1, 0);
        view->scrollTo(from);
        QApplication::processEvents();
        QTest::mousePress(vp, Qt::LeftButton, {}, view->visualRect(from).center());
        const QModelIndex to = view->model()->index(position, 0);
        const QPoint at = view->visualRect(to).center();
        constexpr int kRounds = 200;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kRounds; ++i) {
            // Back and forth over the neighbouring line: one exchange per move.
            const QPoint target = i % 2 == 0 ? at : view->visualRect(from).center();
            QMouseEvent move(QEvent::MouseMove, QPointF(target), QPointF(vp->mapToGlobal(target)),
                             Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(vp, &move);
            vp->repaint();
        }
        const double each = vx::bench::Seconds(start) / kRounds;
        QTest::mouseRelease(vp, Qt::LeftButton, {}, at);
        std::printf("exchange at position %d: %.3f ms (with repaint)\n", position, each * 1000);
    }
    return 0;
}
