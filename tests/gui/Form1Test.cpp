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
#include "platform/qt/QtUi.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

using namespace vx;

namespace {

// Sends a pointer move as the window system would, with the buttons held.
void MoveOver(QWidget* w, QPoint at, Qt::MouseButtons buttons = Qt::NoButton) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::NoButton,
                     buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

std::vector<std::string> Texts(Form1& f) {
    std::vector<std::string> out;
    for (std::size_t i = 1; i <= f.List().count(); ++i) out.push_back(f.List().text(i));
    return out;
}

}  // namespace

class Form1Test : public QObject {
    Q_OBJECT

    std::unique_ptr<test::FakePlatform> p;
    std::unique_ptr<Form1> form;

    void start(const std::string& programFolder = VELLUMAX_BIN_DIR) {
        form.reset();
        p = std::make_unique<test::FakePlatform>(programFolder);
        form = std::make_unique<Form1>(p->platform);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    template <class T>
    T* child(const char* name) {
        return form->findChild<T*>(QString::fromLatin1(name));
    }
    QTreeView* list() { return child<QTreeView>("ListView1"); }
    QPoint rowCenter(int row) {
        QCoreApplication::processEvents();
        return list()->visualRect(list()->model()->index(row, 0)).center();
    }

  private slots:
    void cleanup() { form.reset(); }

    void layoutMatchesTheDesign() {
        start();
        QCOMPARE(form->windowTitle(), QStringLiteral("Vellumax"));
        QCOMPARE(form->size(), QSize(442, 201));
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(form->windowFlags() & Qt::WindowMinimizeButtonHint);
        QCOMPARE(form->palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(child<QWidget>("Command1")->geometry(), QRect(-48, 176, 41, 33));
        QCOMPARE(child<QWidget>("Check1")->geometry(), QRect(8, 120, 137, 73));
        QCOMPARE(child<QWidget>("Check4")->geometry(), QRect(152, 120, 137, 73));
        QCOMPARE(child<QWidget>("Check2")->geometry(), QRect(296, 120, 137, 73));
        QCOMPARE(list()->geometry(), QRect(8, 8, 425, 105));
        QCOMPARE(child<QPushButton>("Check1")->text(), QStringLiteral("Add Text Files"));
        QCOMPARE(child<QPushButton>("Check4")->text(),
                 QStringLiteral("Add All Text Files In Folder"));
        QCOMPARE(child<QPushButton>("Check2")->text(), QStringLiteral("Convert To PDF"));
        const QFont bf = child<QWidget>("Check2")->font();
        QVERIFY(bf.bold());
        QCOMPARE(bf.pointSizeF(), 11.25);
        QVERIFY(list()->font().bold());
        QCOMPARE(list()->font().pointSizeF(), 9.0);
        QCOMPARE(list()->toolTip(),
                 QStringLiteral("Drag and drop files here. Double-click item to remove it. Move "
                                "bar to right and out of window to reveal full names."));
        QCOMPARE(list()->model()->columnCount(), 1);
        QCOMPARE(list()->model()->rowCount(), 0);
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
        QVERIFY(p->ui.dialogSettings.empty());
        QVERIFY(p->ui.folderPrompts.empty());
        QVERIFY(p->ui.boxes.empty());
    }

    void aPressRunsTheCommandOnceWithTheButtonReleased() {
        start();
        auto* check1 = child<QPushButton>("Check1");
        int checkedDuring = -1;
        p->ui.onDialog = [&] { checkedDuring = check1->isChecked() ? 1 : 0; };
        QTest::mouseClick(check1, Qt::LeftButton);
        QCOMPARE(p->ui.dialogSettings.size(), std::size_t{1});
        QCOMPARE(checkedDuring, 0);
        QVERIFY(!check1->isChecked());

        check1->setFocus();
        QTest::keyClick(check1, Qt::Key_Space);
        QCOMPARE(p->ui.dialogSettings.size(), std::size_t{2});
        QVERIFY(!check1->isChecked());

        // A command that ends at once (the folder browser cancelled).
        QTest::mouseClick(child<QPushButton>("Check4"), Qt::LeftButton);
        QCOMPARE(p->ui.folderPrompts.size(), std::size_t{1});
        QVERIFY(!child<QPushButton>("Check4")->isChecked());
        QCOMPARE(form->MousePointer(), 0);

        QTest::mouseClick(child<QPushButton>("Check2"), Qt::LeftButton);
        QCOMPARE(p->ui.boxes.size(), std::size_t{1});
        QCOMPARE(p->ui.boxes[0].text, std::string("No files added."));
        QVERIFY(!child<QPushButton>("Check2")->isChecked());
    }

    void thePointerIsTheHandOverButtonsAndNeverReplacesTheHourglass() {
        start();
        QVERIFY(form->HandCursorLoaded());
        auto* check2 = child<QWidget>("Check2");
        MoveOver(check2, {10, 10});
        QCOMPARE(form->MousePointer(), 99);
        QCOMPARE(check2->cursor().shape(), Qt::BitmapCursor);
        MoveOver(form.get(), {5, 115});
        QCOMPARE(form->MousePointer(), 0);
        QVERIFY(!check2->testAttribute(Qt::WA_SetCursor));
        MoveOver(child<QWidget>("Check1"), {10, 10});
        QCOMPARE(form->MousePointer(), 99);
        MoveOver(list()->viewport(), {10, 10});
        QCOMPARE(form->MousePointer(), 0);

        form->SetMousePointer(11);
        MoveOver(check2, {10, 10});
        MoveOver(form.get(), {5, 115});
        MoveOver(list()->viewport(), {10, 10});
        QCOMPARE(form->MousePointer(), 11);
        QCOMPARE(check2->cursor().shape(), Qt::WaitCursor);
        QCOMPARE(list()->viewport()->cursor().shape(), Qt::WaitCursor);
    }

    void withoutTheHandCursorFileTheButtonsShowTheArrow() {
        test::TempDir empty;
        start(empty.path());
        QVERIFY(!form->HandCursorLoaded());
        MoveOver(child<QWidget>("Check1"), {10, 10});
        QCOMPARE(form->MousePointer(), 99);
        QCOMPARE(child<QWidget>("Check1")->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(p->ui.boxes.empty());
        // Dragging works without "drag.ico" too.
        form->List().append("A");
        form->List().append("B");
        QTest::mousePress(list()->viewport(), Qt::LeftButton, {}, rowCenter(0));
        MoveOver(list()->viewport(), rowCenter(1), Qt::LeftButton);
        QTest::mouseRelease(list()->viewport(), Qt::LeftButton, {}, rowCenter(1));
        QCOMPARE(Texts(*form), (std::vector<std::string>{"B", "A"}));
    }

    void theWindowStartsCentredOnTheScreen() {
        for (const Size screen : {Size{1920, 1080}, Size{800, 600}}) {
            form.reset();
            p = std::make_unique<test::FakePlatform>();
            p->ui.screen = screen;
            form = std::make_unique<Form1>(p->platform);
            const QRect outer = form->frameGeometry();
            QCOMPARE(outer.left(), qRound((screen.width - outer.width()) / 2.0));
            QCOMPARE(outer.top(), qRound((screen.height - outer.height()) / 2.0));
        }
    }

    void theHomePageOpensOnlyWhenTheDrawIsSeven() {
        struct Draw {
            double r;
            std::size_t opened;
        };
        for (const Draw d : {Draw{0.06, 1}, Draw{0.0699, 1}, Draw{0.05999, 0}, Draw{0.07, 0},
                             Draw{0.5, 0}, Draw{0.0, 0}, Draw{0.9999, 0}}) {
            form.reset();
            p = std::make_unique<test::FakePlatform>();
            p->random = d.r;
            form = std::make_unique<Form1>(p->platform);
            form->show();
            QCOMPARE(p->launcher.urls.size(), d.opened);
            if (d.opened) QCOMPARE(p->launcher.urls[0], std::string("https://vellumax.example/"));
        }
        form.reset();
        p = std::make_unique<test::FakePlatform>();
        p->random = 0.06;
        p->platform.homePage.clear();
        form = std::make_unique<Form1>(p->platform);
        QVERIFY(p->launcher.urls.empty());
    }

    void doubleClickRemovesTheSelectedEntry() {
        start();
        auto* vp = list()->viewport();
        QTest::mouseDClick(vp, Qt::LeftButton, {}, {20, 20});  // empty list: nothing
        for (const char* t : {"A", "B", "C"}) form->List().append(t);
        QTest::mouseDClick(vp, Qt::LeftButton, {}, {20, 90});  // empty area, nothing selected
        QCOMPARE(form->List().count(), std::size_t{3});
        QTest::mousePress(vp, Qt::LeftButton, {}, rowCenter(1));
        QTest::mouseRelease(vp, Qt::LeftButton, {}, rowCenter(1));
        QTest::mouseDClick(vp, Qt::LeftButton, {}, rowCenter(1));
        QCOMPARE(Texts(*form), (std::vector<std::string>{"A", "C"}));
        QTest::mousePress(vp, Qt::LeftButton, {}, rowCenter(1));
        QTest::mouseRelease(vp, Qt::LeftButton, {}, rowCenter(1));
        QTest::mouseDClick(vp, Qt::LeftButton, {}, {20, 95});  // below the entries
        QCOMPARE(Texts(*form), (std::vector<std::string>{"A"}));
        QVERIFY(p->ui.boxes.empty());
    }

    void dropsAppendLocalFilesAndNeverReportAMove() {
        start();
        auto* vp = list()->viewport();
        form->List().append("/x/a.txt");
        bool everMove = false;
        auto drop = [&](QMimeData* data) -> bool {
            QDragEnterEvent enter({20, 20}, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                                  {});
            QApplication::sendEvent(vp, &enter);
            QDragMoveEvent move({20, 20}, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                                {});
            QApplication::sendEvent(vp, &move);
            const bool accepted = enter.isAccepted() && move.isAccepted();
            if (accepted && move.dropAction() != Qt::CopyAction) everMove = true;
            QDropEvent dropped({20, 20}, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, {});
            QApplication::sendEvent(vp, &dropped);
            if (dropped.isAccepted() && dropped.dropAction() != Qt::CopyAction) everMove = true;
            return accepted;
        };
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile("/x/c.txt"), QUrl::fromLocalFile("/x/a.txt"),
                       QUrl::fromLocalFile("/x/folder"), QUrl::fromLocalFile("/x/b.pdf")});
        QVERIFY(drop(&files));
        QMimeData text;
        text.setText(QStringLiteral("/x/not-a-file-list"));
        QVERIFY(!drop(&text));
        QMimeData web;
        web.setUrls({QUrl(QStringLiteral("https://example.org/a.txt"))});
        QVERIFY(!drop(&web));
        // Drops keep working after an entry was clicked.
        QTest::mousePress(vp, Qt::LeftButton, {}, rowCenter(0));
        QTest::mouseRelease(vp, Qt::LeftButton, {}, rowCenter(0));
        QMimeData more;
        more.setUrls({QUrl::fromLocalFile("/y/d.txt")});
        QVERIFY(drop(&more));
        QVERIFY(!everMove);
        QCOMPARE(Texts(*form), (std::vector<std::string>{"/x/a.txt", "/x/c.txt", "/x/a.txt",
                                                         "/x/folder", "/x/b.pdf", "/y/d.txt"}));
    }

    void draggingAnEntryReordersByExchangesWithTheDragPointer() {
        start();
        for (const char* t : {"A", "B", "C", "D"}) form->List().append(t);
        auto* vp = list()->viewport();
        p->ui.pointer = {0, 330};
        QTest::mousePress(vp, Qt::LeftButton, {}, rowCenter(0));
        QCOMPARE(vp->cursor().shape(), Qt::BitmapCursor);  // drag.ico
        MoveOver(vp, rowCenter(1), Qt::LeftButton);
        QCOMPARE(Texts(*form), (std::vector<std::string>{"B", "A", "C", "D"}));
        MoveOver(vp, rowCenter(3), Qt::LeftButton);
        QCOMPARE(Texts(*form), (std::vector<std::string>{"B", "D", "C", "A"}));
        QCOMPARE(list()->currentIndex().row(), 3);
        MoveOver(vp, {20, 100}, Qt::LeftButton);  // below the entries
        QTest::mouseRelease(vp, Qt::LeftButton, {}, {20, 100});
        QCOMPARE(vp->cursor().shape(), Qt::ArrowCursor);
        MoveOver(vp, rowCenter(0));
        QCOMPARE(Texts(*form), (std::vector<std::string>{"B", "D", "C", "A"}));
    }

    void aDragNearTheScreenEdgeScrollsTheNextEntryIntoView() {
        start();
        for (int i = 0; i < 200; ++i) form->List().append("entry " + std::to_string(i));
        auto* vp = list()->viewport();
        QTest::mousePress(vp, Qt::LeftButton, {}, rowCenter(0));
        QTest::mouseRelease(vp, Qt::LeftButton, {}, rowCenter(0));
        // Continue the drag from the empty-area press on the visible last row.
        const int lastVisible = list()->indexAt({5, vp->height() - 3}).row();
        QVERIFY(lastVisible > 0);
        p->ui.pointer = {0, 365};
        QTest::mousePress(vp, Qt::LeftButton, {}, rowCenter(0));
        MoveOver(vp, rowCenter(lastVisible), Qt::LeftButton);
        QCoreApplication::processEvents();
        QVERIFY(list()->visualRect(list()->model()->index(lastVisible + 1, 0)).bottom() <=
                vp->height());
        QTest::mouseRelease(vp, Qt::LeftButton, {}, rowCenter(0));
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
        QCOMPARE(Texts(*form),
                 (std::vector<std::string>{"/picked/during-walk", t / "R/a", t / "R/S/b"}));
        // A cancelled browser leaves the pointer alone.
        form->SetMousePointer(99);
        p->ui.folderResult.clear();
        QTest::mouseClick(child<QPushButton>("Check4"), Qt::LeftButton);
        QCOMPARE(form->MousePointer(), 99);
    }

    void theOpenDialogTakesPickedAndTypedNames() {
        test::TempDir t;
        t.file("a.txt");
        t.file("b.log");
        QtUi ui;
        QString title, filter;
        bool openEnabled = false;
        // Answers the modal dialog from inside its own loop; never leaves it open.
        auto answer = [&](const QString& typed) {
            QTimer::singleShot(50, [&, typed] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (dialog == nullptr) return;
                title = dialog->windowTitle();
                filter = dialog->selectedNameFilter();
                dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(typed);
                auto* open = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))
                                 ->button(QDialogButtonBox::Open);
                openEnabled = open->isEnabled();
                if (openEnabled) {
                    open->click();
                } else {
                    dialog->reject();
                }
            });
        };
        OpenDialogSettings settings{"", 0x280201,
                                    "Add File(s) - Use Ctrl & Shift to select multiple files",
                                    "All Files (*.*)|*.*|Text Files (*.txt)|*.txt"};
        answer(QString::fromStdString(t / "a.txt"));
        QCOMPARE(ui.openFileDialog(settings), t / "a.txt");
        QCOMPARE(title, QStringLiteral("Add File(s) - Use Ctrl & Shift to select multiple files"));
        QCOMPARE(filter, QStringLiteral("All Files (*.*)"));
        answer(QString::fromStdString(t / "not-yet.txt"));
        QCOMPARE(ui.openFileDialog(settings), t / "not-yet.txt");
        QVERIFY(openEnabled);
        answer(QString::fromStdString("\"" + (t / "a.txt") + "\" \"" + (t / "b.log") + "\""));
        const std::string both = ui.openFileDialog(settings);
        std::string shown = both;
        for (char& c : shown)
            if (c == 0) c = '|';
        QCOMPARE(QString::fromStdString(shown), QString::fromStdString(t.path() + "|a.txt|b.log"));
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
