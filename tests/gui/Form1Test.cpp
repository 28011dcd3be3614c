#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

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
    QWidget* child(const char* name) { return form->findChild<QWidget*>(QLatin1String(name)); }
    QTreeView* list() { return static_cast<QTreeView*>(child("ListView1")); }
    QWidget* vp() { return list()->viewport(); }
    void click(const char* button) { QTest::mouseClick(child(button), Qt::LeftButton); }
    QPoint row(int r) {
        QCoreApplication::processEvents();
        return list()->visualRect(list()->model()->index(r, 0)).center();
    }
    void press(QPoint at) { QTest::mousePress(vp(), Qt::LeftButton, {}, at); }
    void release(QPoint at) { QTest::mouseRelease(vp(), Qt::LeftButton, {}, at); }
    void add(const Texts& texts) {
        for (const auto& t : texts) form->List().append(t);
    }
    Texts texts() {
        Texts out;
        for (std::size_t i = 1; i <= form->List().count(); ++i) out.push_back(form->List().text(i));
        return out;
    }

  private slots:
    void cleanup() { form.reset(); }

    void theWindowOpensCentredAsDesignedWithTheFocusOnTheHiddenButton() {
        start();
        const QRect outer = form->frameGeometry();
        QVERIFY(outer.size() != form->size());  // the frame is only known once shown
        QCOMPARE(outer.topLeft(), QPoint(qRound((1920 - outer.width()) / 2.0),
                                         qRound((1080 - outer.height()) / 2.0)));
        const std::pair<const char*, QRect> places[] = {{"Command1", {-48, 176, 41, 33}},
                                                        {"Check1", {8, 120, 137, 73}},
                                                        {"Check2", {296, 120, 137, 73}},
                                                        {"ListView1", {8, 8, 425, 105}},
                                                        {"Check4", {152, 120, 137, 73}}};
        for (const auto& [name, rect] : places) QCOMPARE(child(name)->geometry(), rect);
        // The tab order is the order of the table, starting on the hidden button.
        std::vector<QWidget*> chain;
        for (QWidget* w = QApplication::focusWidget(); chain.size() < 5; w = w->nextInFocusChain())
            if (w->parentWidget() == form.get()) chain.push_back(w);
        for (std::size_t i = 0; i < 5; ++i) QCOMPARE(chain[i], child(places[i].first));
        QTest::keyClick(child("Command1"), Qt::Key_Space);
        QVERIFY(p->ui.dialogSettings.empty() && p->ui.folderPrompts.empty() && p->ui.boxes.empty());
    }

    void aPressRunsTheCommandOnceWithTheButtonReleased() {
        start();
        auto* check1 = static_cast<QPushButton*>(child("Check1"));
        std::vector<bool> heldDuring;
        p->ui.onDialog = [&] { heldDuring.push_back(check1->isChecked()); };
        click("Check1");
        check1->setFocus();
        QTest::keyClick(check1, Qt::Key_Space);
        QCOMPARE(heldDuring, (std::vector<bool>{false, false}));
        click("Check4");  // ends at once: the folder browser is cancelled
        QCOMPARE(p->ui.folderPrompts.size(), std::size_t{1});
        QVERIFY(!check1->isChecked() && !static_cast<QPushButton*>(child("Check4"))->isChecked());
    }

    void theHandShowsOverButtonsOnlyAndNeverReplacesTheHourglass() {
        start();
        QWidget* check2 = child("Check2");
        auto* header = list()->header();
        MoveOver(check2, {10, 10});
        QCOMPARE(form->MousePointer(), 99);
        QCOMPARE(check2->cursor().shape(), Qt::BitmapCursor);
        // The list, its header and its frame keep the arrow; the divider shows its own pointer.
        QCOMPARE(list()->cursor().shape(), Qt::ArrowCursor);
        MoveOver(header->viewport(), {header->sectionSize(0) - 2, 5});
        QCOMPARE(header->cursor().shape(), Qt::SplitHCursor);
        MoveOver(form.get(), {5, 115});
        QCOMPARE(check2->cursor().shape(), Qt::ArrowCursor);

        form->SetMousePointer(11);
        for (QWidget* w : {check2, static_cast<QWidget*>(form.get()), vp()}) MoveOver(w, {5, 5});
        QCOMPARE(form->MousePointer(), 11);
        for (QWidget* w : {check2, vp(), static_cast<QWidget*>(list())})
            QCOMPARE(w->cursor().shape(), Qt::WaitCursor);
    }

    void withoutTheCursorFilesTheButtonsShowTheArrowAndDraggingWorks() {
        test::TempDir empty;
        start(empty.path());
        MoveOver(child("Check1"), {10, 10});
        QCOMPARE(child("Check1")->cursor().shape(), Qt::ArrowCursor);
        add({"A", "B"});
        press(row(0));
        MoveOver(vp(), row(1), Qt::LeftButton);
        QCOMPARE(texts(), (Texts{"B", "A"}));
    }

    void theHomePageOpensOnlyWhenTheDrawIsSeven() {
        std::string opened;
        for (const double r : {0.06, 0.0699, 0.05999, 0.07, 0.0, 0.9999}) {
            p = std::make_unique<test::FakePlatform>();
            p->random = r;
            form = std::make_unique<Form1>(p->platform);
            opened += std::to_string(p->launcher.urls.size());
        }
        QCOMPARE(opened, std::string("110000"));
    }

    void doubleClickRemovesTheEntryShownSelected() {
        start();
        QTest::mouseDClick(vp(), Qt::LeftButton, {}, {20, 20});  // empty list: nothing
        add({"A", "B", "C", "D"});
        QTest::mouseDClick(vp(), Qt::LeftButton, {}, {20, 95});  // nothing selected
        QCOMPARE(form->List().count(), std::size_t{4});
        press(row(0));
        release(row(0));
        QTest::keyClick(list(), Qt::Key_Down);  // the highlight moves to B
        QTest::mouseDClick(vp(), Qt::LeftButton, {}, {20, 95});
        QCOMPARE(texts(), (Texts{"A", "C", "D"}));
        QTest::mouseDClick(vp(), Qt::LeftButton, {}, row(1));
        QCOMPARE(texts(), (Texts{"A", "D"}));
    }

    void dropsAppendLocalFilesAndNeverReportAMove() {
        start();
        bool everMove = false;
        auto drop = [&](QMimeData* data) -> bool {
            QDragEnterEvent enter({20, 20}, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                                  {});
            QDropEvent dropped({20, 20}, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, {});
            for (QDropEvent* e : {static_cast<QDropEvent*>(&enter), &dropped}) {
                QApplication::sendEvent(vp(), e);
                everMove |= e->isAccepted() && e->dropAction() != Qt::CopyAction;
            }
            return enter.isAccepted();
        };
        QMimeData files, web;
        files.setUrls({QUrl::fromLocalFile("/x/c.txt"), QUrl::fromLocalFile("/x/folder")});
        web.setUrls({QUrl(QStringLiteral("https://example.org/a.txt"))});
        QVERIFY(drop(&files) && !drop(&web));
        press(row(0));  // drops keep working after an entry was clicked
        release(row(0));
        QVERIFY(drop(&files) && !everMove);
        QCOMPARE(texts(), (Texts{"/x/c.txt", "/x/folder", "/x/c.txt", "/x/folder"}));
    }

    void draggingExchangesOnlyWithEntriesInSight() {
        start();
        add({"A", "B", "C", "D"});
        p->ui.pointer = {0, 330};
        press(row(1));
        QCOMPARE(vp()->cursor().shape(), Qt::BitmapCursor);  // drag.ico
        MoveOver(vp(), row(0), Qt::LeftButton);
        MoveOver(vp(), row(3), Qt::LeftButton);
        QCOMPARE(texts(), (Texts{"D", "A", "C", "B"}));
        QCOMPARE(list()->currentIndex().row(), 3);
        release({20, 100});
        QCOMPARE(vp()->cursor().shape(), Qt::ArrowCursor);
        // Scrolled down, no row out of sight moves while the pointer is over the header, the
        // buttons or outside the window.
        add({"E", "F", "G", "H", "I", "J", "K", "L"});
        row(0);
        list()->scrollToBottom();
        const QPoint first = row(list()->indexAt({5, 5}).row());
        const Texts before = texts();
        press(first);
        for (const int y : {-3, -60, vp()->height() + 2, vp()->height() + 60})
            MoveOver(vp(), {first.x(), y}, Qt::LeftButton);
        release(first);
        QCOMPARE(texts(), before);
    }

    void aDragNearTheScreenEdgeScrollsTheNextEntryIntoView() {
        start();
        for (int i = 0; i < 200; ++i) form->List().append("entry " + std::to_string(i));
        press(row(0));
        const int lastVisible = list()->indexAt({5, vp()->height() - 3}).row();
        p->ui.pointer = {0, 365};
        MoveOver(vp(), row(lastVisible), Qt::LeftButton);
        QVERIFY(lastVisible > 0 &&
                list()->visualRect(list()->model()->index(lastVisible + 1, 0)).bottom() <=
                    vp()->height());
    }

    void theOpenDialogGivesThePathsMeant() {
        test::TempDir t;
        for (const char* f : {"a.txt", "b.log", "x/d.log", "y/e/x.txt", "y/e/z.txt"}) t.file(f);
        auto quoted = [](const auto&... n) { return (("\"" + std::string(n) + "\" ") + ...); };
        struct Case {
            std::string enter;  // a folder whose path is typed and entered with Return first
            std::string typed;  // empty: Ctrl+click every file of the folder instead
            Texts meant;
        };
        const Case cases[] = {
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
            QVERIFY(title.startsWith("Add File(s) - Use Ctrl") &&
                    title.endsWith("|All Files (*.*)"));
        }
    }

    void closingDuringAConversionUnderTheHourglassPutsThePrinterBackAndEnds() {
        start();
        add({"/a", "/b"});
        p->ui.onYield = [&] {
            p->ui.onYield = nullptr;
            MoveOver(child("Check1"), {10, 10});  // the hourglass stays
            QCOMPARE(form->MousePointer(), 11);
            QCOMPARE(*p->printers.userDefault, std::string("PDF_Printer"));
            form->close();
        };
        click("Check2");
        QCOMPARE(p->ui.terminations, 1);
        QCOMPARE(p->printers.setCalls.at(1), std::string("Office"));
    }
};

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
