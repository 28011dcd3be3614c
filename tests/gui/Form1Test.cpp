#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <memory>

#include "app/Form1.h"
#include "filelist/AddPicked.h"
#include "platform/qt/QtUi.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

using namespace vx;
using Texts = std::vector<std::string>;

namespace {

// Sends a pointer move as the window system would, with the buttons held.
void MoveOver(QWidget* w, QPoint at, Qt::MouseButtons buttons = Qt::NoButton) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::NoButton,
                     buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

Texts TextsOf(Form1& f) {
    Texts out;
    for (std::size_t i = 1; i <= f.List().count(); ++i) out.push_back(f.List().text(i));
    return out;
}

}  // namespace

class Form1Test : public QObject {
    Q_OBJECT

    std::unique_ptr<test::FakePlatform> p;
    std::unique_ptr<Form1> form;

    void start(const std::string& programFolder = VELLUMAX_BIN_DIR, Size screen = {1920, 1080}) {
        form.reset();
        p = std::make_unique<test::FakePlatform>(programFolder);
        p->ui.screen = screen;
        form = std::make_unique<Form1>(p->platform);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    template <class T>
    T* child(const char* name) {
        return form->findChild<T*>(QString::fromLatin1(name));
    }
    QTreeView* list() { return child<QTreeView>("ListView1"); }
    QWidget* vp() { return list()->viewport(); }
    QPoint rowCenter(int row) {
        QCoreApplication::processEvents();
        return list()->visualRect(list()->model()->index(row, 0)).center();
    }
    void click(QPoint at) {
        QTest::mousePress(vp(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(vp(), Qt::LeftButton, {}, at);
    }

  private slots:
    void cleanup() { form.reset(); }

    void layoutMatchesTheDesign() {
        start();
        QCOMPARE(form->windowTitle(), QStringLiteral("Vellumax"));
        QCOMPARE(form->size(), QSize(442, 201));
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(form->palette().color(QPalette::Window), QColor(Qt::white));
        const std::pair<const char*, QRect> places[] = {{"Command1", {-48, 176, 41, 33}},
                                                        {"Check1", {8, 120, 137, 73}},
                                                        {"Check4", {152, 120, 137, 73}},
                                                        {"Check2", {296, 120, 137, 73}},
                                                        {"ListView1", {8, 8, 425, 105}}};
        for (const auto& [name, rect] : places) QCOMPARE(child<QWidget>(name)->geometry(), rect);
        QCOMPARE(child<QPushButton>("Check4")->text(),
                 QStringLiteral("Add All Text Files In Folder"));
        QCOMPARE(child<QWidget>("Check2")->font().pointSizeF(), 11.25);
        QCOMPARE(list()->font().pointSizeF(), 9.0);
        QVERIFY(list()->toolTip().startsWith(QStringLiteral("Drag and drop files here.")));
        QCOMPARE(list()->model()->columnCount(), 1);
        QCOMPARE(list()->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("Text files"));
        QCOMPARE(list()->header()->sectionSize(0), 353);
        // The column can be dragged wider than the list; the list then scrolls sideways.
        list()->header()->resizeSection(0, 2000);
        QCoreApplication::processEvents();
        QVERIFY(list()->horizontalScrollBar()->maximum() > 0);
    }

    void tabOrderStartsAtTheHiddenButtonAndSpaceDoesNothing() {
        start();
        QWidget* c1 = child<QWidget>("Command1");
        QCOMPARE(QApplication::focusWidget(), c1);
        QWidget* order[] = {c1, child<QWidget>("Check1"), child<QWidget>("Check2"), list(),
                            child<QWidget>("Check4")};
        std::vector<QWidget*> chain;
        for (QWidget* w = c1; chain.size() < 5; w = w->nextInFocusChain())
            if (std::find(std::begin(order), std::end(order), w) != std::end(order))
                chain.push_back(w);
        QVERIFY(std::equal(chain.begin(), chain.end(), std::begin(order)));
        QTest::keyClick(c1, Qt::Key_Space);
        QVERIFY(p->ui.dialogSettings.empty() && p->ui.folderPrompts.empty() && p->ui.boxes.empty());
    }

    void aPressRunsTheCommandOnceWithTheButtonReleased() {
        start();
        auto* check1 = child<QPushButton>("Check1");
        int checkedDuring = -1;
        p->ui.onDialog = [&] { checkedDuring = check1->isChecked() ? 1 : 0; };
        QTest::mouseClick(check1, Qt::LeftButton);
        QCOMPARE(p->ui.dialogSettings.size(), std::size_t{1});
        QCOMPARE(checkedDuring, 0);
        check1->setFocus();
        QTest::keyClick(check1, Qt::Key_Space);
        QCOMPARE(p->ui.dialogSettings.size(), std::size_t{2});
        QVERIFY(!check1->isChecked());
        // A command that ends at once (the folder browser cancelled).
        QTest::mouseClick(child<QPushButton>("Check4"), Qt::LeftButton);
        QCOMPARE(p->ui.folderPrompts.size(), std::size_t{1});
        QVERIFY(!child<QPushButton>("Check4")->isChecked());
        QTest::mouseClick(child<QPushButton>("Check2"), Qt::LeftButton);
        QCOMPARE(p->ui.boxes.size(), std::size_t{1});
        QVERIFY(!child<QPushButton>("Check2")->isChecked());
    }

    void theHandShowsOverButtonsOnlyAndNeverReplacesTheHourglass() {
        start();
        auto* check2 = child<QWidget>("Check2");
        auto* header = list()->header();
        MoveOver(check2, {10, 10});
        QCOMPARE(form->MousePointer(), 99);
        QCOMPARE(check2->cursor().shape(), Qt::BitmapCursor);
        // The list, its header and its frame keep the arrow; the divider shows its own pointer.
        QCOMPARE(list()->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(header->cursor().shape(), Qt::ArrowCursor);
        MoveOver(header->viewport(), {header->sectionSize(0) - 2, 5});
        QCOMPARE(header->cursor().shape(), Qt::SplitHCursor);
        MoveOver(form.get(), {5, 115});
        QCOMPARE(form->MousePointer(), 0);
        QVERIFY(!check2->testAttribute(Qt::WA_SetCursor));
        MoveOver(check2, {10, 10});
        MoveOver(vp(), {10, 10});
        QCOMPARE(form->MousePointer(), 0);

        form->SetMousePointer(11);
        for (QWidget* w : {check2, static_cast<QWidget*>(form.get()), vp()}) MoveOver(w, {5, 5});
        QCOMPARE(form->MousePointer(), 11);
        for (QWidget* w : {check2, vp(), static_cast<QWidget*>(list())})
            QCOMPARE(w->cursor().shape(), Qt::WaitCursor);
    }

    void withoutTheCursorFilesTheButtonsShowTheArrowAndDraggingWorks() {
        test::TempDir empty;
        start(empty.path());
        MoveOver(child<QWidget>("Check1"), {10, 10});
        QCOMPARE(form->MousePointer(), 99);
        QCOMPARE(child<QWidget>("Check1")->cursor().shape(), Qt::ArrowCursor);
        form->List().append("A");
        form->List().append("B");
        QTest::mousePress(vp(), Qt::LeftButton, {}, rowCenter(0));
        MoveOver(vp(), rowCenter(1), Qt::LeftButton);
        QTest::mouseRelease(vp(), Qt::LeftButton, {}, rowCenter(1));
        QCOMPARE(TextsOf(*form), (Texts{"B", "A"}));
        QVERIFY(p->ui.boxes.empty());
    }

    void theWindowStartsCentredWithItsFrame() {
        for (const Size screen : {Size{1920, 1080}, Size{800, 600}}) {
            start(VELLUMAX_BIN_DIR, screen);
            const QRect outer = form->frameGeometry();
            QVERIFY(outer.size() != form->size());  // the frame is only known once shown
            QCOMPARE(outer.left(), qRound((screen.width - outer.width()) / 2.0));
            QCOMPARE(outer.top(), qRound((screen.height - outer.height()) / 2.0));
        }
    }

    void theHomePageOpensOnlyWhenTheDrawIsSeven() {
        const std::pair<double, bool> draws[] = {{0.06, true},  {0.0699, true}, {0.05999, false},
                                                 {0.07, false}, {0.0, false},   {0.9999, false}};
        for (const auto& [r, opened] : draws) {
            form.reset();
            p = std::make_unique<test::FakePlatform>();
            p->random = r;
            form = std::make_unique<Form1>(p->platform);
            QCOMPARE(p->launcher.urls, opened ? Texts{"https://vellumax.example/"} : Texts{});
        }
    }

    void doubleClickRemovesTheEntryShownSelected() {
        start();
        QTest::mouseDClick(vp(), Qt::LeftButton, {}, {20, 20});  // empty list: nothing
        for (const char* t : {"A", "B", "C", "D"}) form->List().append(t);
        QTest::mouseDClick(vp(), Qt::LeftButton, {}, {20, 95});  // nothing selected
        QCOMPARE(form->List().count(), std::size_t{4});
        click(rowCenter(0));
        QTest::keyClick(list(), Qt::Key_Down);  // the highlight moves to B
        QTest::mouseDClick(vp(), Qt::LeftButton, {}, {20, 95});
        QCOMPARE(TextsOf(*form), (Texts{"A", "C", "D"}));
        click(rowCenter(1));
        QTest::mouseDClick(vp(), Qt::LeftButton, {}, rowCenter(1));
        QCOMPARE(TextsOf(*form), (Texts{"A", "D"}));
        QVERIFY(p->ui.boxes.empty());
    }

    void dropsAppendLocalFilesAndNeverReportAMove() {
        start();
        form->List().append("/x/a.txt");
        bool everMove = false;
        auto drop = [&](QMimeData* data) -> bool {
            QDragEnterEvent enter({20, 20}, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                                  {});
            QApplication::sendEvent(vp(), &enter);
            QDropEvent dropped({20, 20}, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, {});
            QApplication::sendEvent(vp(), &dropped);
            for (QDropEvent* e : {static_cast<QDropEvent*>(&enter), &dropped})
                everMove |= e->isAccepted() && e->dropAction() != Qt::CopyAction;
            return enter.isAccepted();
        };
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile("/x/c.txt"), QUrl::fromLocalFile("/x/folder")});
        QVERIFY(drop(&files));
        QMimeData text;
        text.setText(QStringLiteral("/x/not-a-file-list"));
        QVERIFY(!drop(&text));
        QMimeData web;
        web.setUrls({QUrl(QStringLiteral("https://example.org/a.txt"))});
        QVERIFY(!drop(&web));
        click(rowCenter(0));  // drops keep working after an entry was clicked
        QVERIFY(drop(&files));
        QVERIFY(!everMove);
        QCOMPARE(TextsOf(*form),
                 (Texts{"/x/a.txt", "/x/c.txt", "/x/folder", "/x/c.txt", "/x/folder"}));
    }

    void draggingExchangesOnlyWithEntriesInSight() {
        start();
        for (const char* t : {"A", "B", "C", "D"}) form->List().append(t);
        p->ui.pointer = {0, 330};
        QTest::mousePress(vp(), Qt::LeftButton, {}, rowCenter(0));
        QCOMPARE(vp()->cursor().shape(), Qt::BitmapCursor);  // drag.ico
        MoveOver(vp(), rowCenter(1), Qt::LeftButton);
        QCOMPARE(TextsOf(*form), (Texts{"B", "A", "C", "D"}));
        MoveOver(vp(), rowCenter(3), Qt::LeftButton);
        QCOMPARE(TextsOf(*form), (Texts{"B", "D", "C", "A"}));
        QCOMPARE(list()->currentIndex().row(), 3);
        QTest::mouseRelease(vp(), Qt::LeftButton, {}, {20, 100});
        QCOMPARE(vp()->cursor().shape(), Qt::ArrowCursor);
        MoveOver(vp(), rowCenter(0));
        QCOMPARE(TextsOf(*form), (Texts{"B", "D", "C", "A"}));
        // Scrolled down, the rows above and below the visible ones stay where they are while
        // the pointer is over the header, the buttons or outside the window.
        for (const char* t : {"E", "F", "G", "H", "I", "J", "K", "L"}) form->List().append(t);
        QCoreApplication::processEvents();
        list()->scrollToBottom();
        const QPoint first = rowCenter(list()->indexAt({5, 5}).row());
        const Texts before = TextsOf(*form);
        QTest::mousePress(vp(), Qt::LeftButton, {}, first);
        for (const int y : {-3, -60, vp()->height() + 2, vp()->height() + 60})
            MoveOver(vp(), {first.x(), y}, Qt::LeftButton);
        QTest::mouseRelease(vp(), Qt::LeftButton, {}, first);
        QCOMPARE(TextsOf(*form), before);
    }

    void aDragNearTheScreenEdgeScrollsTheNextEntryIntoView() {
        start();
        for (int i = 0; i < 200; ++i) form->List().append("entry " + std::to_string(i));
        click(rowCenter(0));
        // Continue the drag from the empty-area press on the visible last row.
        const int lastVisible = list()->indexAt({5, vp()->height() - 3}).row();
        QVERIFY(lastVisible > 0);
        p->ui.pointer = {0, 365};
        QTest::mousePress(vp(), Qt::LeftButton, {}, rowCenter(0));
        MoveOver(vp(), rowCenter(lastVisible), Qt::LeftButton);
        QCoreApplication::processEvents();
        QVERIFY(list()->visualRect(list()->model()->index(lastVisible + 1, 0)).bottom() <=
                vp()->height());
        QTest::mouseRelease(vp(), Qt::LeftButton, {}, rowCenter(0));
    }

    void aFolderWalkShowsTheHourglassAndAPressDuringItRunsNested() {
        test::TempDir t;
        t.file("R/a");
        t.file("R/S/b");
        start();
        p->ui.folderResult = t / "R";
        p->ui.dialogResults = {"/picked/during-walk"};
        bool pressed = false;
        int pointerDuring = -1;
        p->ui.onYield = [&] {
            pointerDuring = form->MousePointer();
            MoveOver(child<QWidget>("Check1"), {10, 10});
            if (!pressed) {
                pressed = true;
                QTest::mouseClick(child<QPushButton>("Check1"), Qt::LeftButton);
            }
        };
        QTest::mouseClick(child<QPushButton>("Check4"), Qt::LeftButton);
        QCOMPARE(pointerDuring, 11);
        QCOMPARE(form->MousePointer(), 0);
        QCOMPARE(TextsOf(*form), (Texts{"/picked/during-walk", t / "R/a", t / "R/S/b"}));
        // A cancelled browser leaves the pointer alone.
        form->SetMousePointer(99);
        p->ui.folderResult.clear();
        QTest::mouseClick(child<QPushButton>("Check4"), Qt::LeftButton);
        QCOMPARE(form->MousePointer(), 99);
    }

    void theOpenDialogGivesThePathsMeant() {
        test::TempDir t;
        for (const char* f : {"a.txt", "b.log", "x/d.log", "y/e/x.txt", "y/e/z.txt"}) t.file(f);
        struct Case {
            std::string enter;  // a folder whose path is typed and entered with Return first
            std::string typed;  // empty: Ctrl+click every file of the folder instead
            Texts meant;
        };
        auto quoted = [](const std::string& a, const std::string& b) {
            return "\"" + a + "\" \"" + b + "\"";
        };
        const Case cases[] = {
            {"", t / "a.txt", {t / "a.txt"}},
            {"", t / "not-yet.txt", {t / "not-yet.txt"}},
            {"", quoted(t / "a.txt", t / "b.log"), {t / "a.txt", t / "b.log"}},
            {"", quoted(t / "x/d.log", t / "y/e/x.txt"), {t / "x/d.log", t / "y/e/x.txt"}},
            {"y/e", "", {t / "y/e/x.txt", t / "y/e/z.txt"}},
            {"y/e", quoted("z.txt", "x.txt"), {t / "y/e/z.txt", t / "y/e/x.txt"}}};
        QtUi ui;
        for (const Case& c : cases) {
            QString title;
            // Answers the modal dialog from inside its own loop; never leaves it open.
            QTimer::singleShot(50, [&] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (dialog == nullptr) return;
                title = dialog->windowTitle() + QLatin1Char('|') + dialog->selectedNameFilter();
                auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                auto* view = dialog->findChild<QAbstractItemView*>(QStringLiteral("listView"));
                if (!c.enter.empty()) {
                    edit->setText(QString::fromStdString(t / c.enter));
                    QTest::keyClick(edit, Qt::Key_Return);
                    QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 2);
                }
                for (int row = 0; c.typed.empty() && row < 2; ++row) {
                    const QModelIndex file = view->model()->index(row, 0, view->rootIndex());
                    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                                      view->visualRect(file).center());
                }
                if (!c.typed.empty()) edit->setText(QString::fromStdString(c.typed));
                dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))
                    ->button(QDialogButtonBox::Open)
                    ->click();
                if (QApplication::activeModalWidget() == dialog) dialog->reject();
            });
            QCOMPARE(SplitDialogResult(ui.openFileDialog(AddFilesDialogSettings()), '/'), c.meant);
            QCOMPARE(title, QStringLiteral("Add File(s) - Use Ctrl & Shift to select multiple "
                                           "files|All Files (*.*)"));
        }
    }

    void closingDuringAConversionPutsThePrinterBackAndEnds() {
        start();
        form->List().append("/a");
        form->List().append("/b");
        p->ui.onYield = [&] {
            p->ui.onYield = nullptr;
            QCOMPARE(*p->printers.userDefault, std::string("PDF_Printer"));
            form->close();
        };
        QTest::mouseClick(child<QPushButton>("Check2"), Qt::LeftButton);
        QCOMPARE(p->ui.terminations, 1);
        QCOMPARE(p->printers.setCalls.at(1), std::string("Office"));
    }
};

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
