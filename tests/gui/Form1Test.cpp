#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
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

// Sends a pointer move as the window system would, with the buttons held.
static void MoveOver(QWidget* w, QPoint at, Qt::MouseButtons buttons = Qt::NoButton) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::NoButton,
                     buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

static Texts TextsOf(const FileList& list) {
    Texts out;
    for (std::size_t i = 1; i <= list.count(); ++i) out.push_back(list.text(i));
    return out;
}

class Form1Test : public QObject {
    Q_OBJECT

    std::unique_ptr<test::FakePlatform> p;
    std::unique_ptr<Form1> form;

    void start(const std::string& programFolder = VELLUMAX_BIN_DIR, double random = 0.5) {
        form.reset();
        p = std::make_unique<test::FakePlatform>(programFolder);
        p->random = random;
        form = std::make_unique<Form1>(p->platform);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    QWidget* child(const char* name) { return form->findChild<QWidget*>(QLatin1String(name)); }
    QTreeView* list() { return static_cast<QTreeView*>(child("ListView1")); }
    QWidget* vp() { return list()->viewport(); }
    QPoint row(int r) {
        QCoreApplication::processEvents();
        return list()->visualRect(list()->model()->index(r, 0)).center();
    }
    void press(QPoint at) { QTest::mousePress(vp(), Qt::LeftButton, {}, at); }
    void dclick(QPoint at) { QTest::mouseDClick(vp(), Qt::LeftButton, {}, at); }
    void add(const Texts& texts) {
        for (const auto& t : texts) form->List().append(t);
    }
    Texts texts() { return TextsOf(form->List()); }

  private slots:
    void cleanup() { form.reset(); }

    void theWindowOpensCentredAndItsButtonsRunTheirCommandOnce() {
        start(VELLUMAX_BIN_DIR, 0.06);  // a winning draw: the home page opens, once
        QCOMPARE(p->launcher.urls.size(), std::size_t(1));
        const QRect outer = form->frameGeometry();
        QVERIFY(outer.size() != form->size());  // the frame is only known once shown
        QCOMPARE(outer.topLeft(), QPoint(qRound((1920 - outer.width()) / 2.0),
                                         qRound((1080 - outer.height()) / 2.0)));
        // The focus starts on the hidden button, which does nothing when pressed.
        QCOMPARE(QApplication::focusWidget(), child("Command1"));
        QTest::keyClick(child("Command1"), Qt::Key_Space);
        QVERIFY(p->ui.dialogs == 0 && p->ui.boxes.empty());
        // A press runs its command once, with the button already released.
        auto* check1 = static_cast<QPushButton*>(child("Check1"));
        std::vector<bool> heldDuring;
        p->ui.onDialog = [&] { heldDuring.push_back(check1->isChecked()); };
        QTest::mouseClick(check1, Qt::LeftButton);
        check1->setFocus();
        QTest::keyClick(check1, Qt::Key_Space);
        QCOMPARE(heldDuring, (std::vector<bool>{false, false}));
        QVERIFY(!check1->isChecked());
    }

    void theHandShowsOverButtonsOnlyAndNeverReplacesTheHourglass() {
        start();
        QWidget* check2 = child("Check2");
        MoveOver(check2, {10, 10});
        QCOMPARE(check2->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(list()->cursor().shape(), Qt::ArrowCursor);  // the list and its frame too
        MoveOver(form.get(), {5, 115});
        QCOMPARE(check2->cursor().shape(), Qt::ArrowCursor);

        form->SetMousePointer(11);
        for (QWidget* w : {check2, static_cast<QWidget*>(form.get()), vp()}) MoveOver(w, {5, 5});
        for (QWidget* w : {check2, vp(), static_cast<QWidget*>(list())})
            QCOMPARE(w->cursor().shape(), Qt::WaitCursor);
        // Without the cursor files the buttons show the arrow and dragging still works.
        test::TempDir empty;
        start(empty.path());
        MoveOver(child("Check1"), {10, 10});
        QCOMPARE(child("Check1")->cursor().shape(), Qt::ArrowCursor);
        add({"A", "B"});
        press(row(0));
        MoveOver(vp(), row(1), Qt::LeftButton);
        QCOMPARE(texts(), (Texts{"B", "A"}));
    }

    void doubleClickRemovesTheEntryShownSelected() {
        start();
        dclick({20, 20});  // empty list: nothing
        add({"A", "B", "C", "D"});
        dclick({20, 95});  // nothing selected
        QTest::mouseClick(vp(), Qt::LeftButton, {}, row(0));
        QTest::keyClick(list(), Qt::Key_Down);  // the highlight moves to B
        dclick({20, 95});
        QCOMPARE(texts(), (Texts{"A", "C", "D"}));
        dclick(row(1));
        QCOMPARE(texts(), (Texts{"A", "D"}));
        // A highlight the user clears leaves nothing selected underneath.
        QTest::mouseClick(vp(), Qt::LeftButton, {}, row(0));
        QTest::keyClick(list(), Qt::Key_Space, Qt::ControlModifier);
        QVERIFY(list()->selectionModel()->selectedRows().isEmpty());
        dclick({20, 95});
        QCOMPARE(texts(), (Texts{"A", "D"}));
        QTest::mouseClick(vp(), Qt::LeftButton, {}, row(0));
        QTest::mouseClick(vp(), Qt::LeftButton, Qt::ControlModifier, row(0));
        const bool shown = !list()->selectionModel()->selectedRows().isEmpty();
        dclick({20, 95});
        QCOMPARE(texts(), (shown ? Texts{"D"} : Texts{"A", "D"}));
    }

    void dropsAppendLocalFilesAndNeverReportAMove() {
        start();
        bool everMove = false;
        auto drop = [&](QMimeData* data) -> bool {
            const auto both = Qt::CopyAction | Qt::MoveAction;
            QDragEnterEvent enter({20, 20}, both, data, Qt::LeftButton, {});
            QDropEvent dropped({20, 20}, both, data, Qt::LeftButton, {});
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
        QTest::mouseClick(vp(), Qt::LeftButton, {}, row(0));  // drops work after a click too
        QVERIFY(drop(&files) && !everMove);
        QMimeData shell;  // a name that is not UTF-8, and a plus that is no blank
        shell.setData(QStringLiteral("text/uri-list"), "file:///x/caf%E9+1%2B%20.txt\r\n");
        QVERIFY(drop(&shell) && !everMove);
        QCOMPARE(texts(),
                 (Texts{"/x/c.txt", "/x/folder", "/x/c.txt", "/x/folder", "/x/caf\xE9+1+ .txt"}));
    }

    void draggingExchangesOnlyWithEntriesInSight() {
        start();
        add({"A", "B", "C", "D"});
        p->ui.pointer = {0, 330};
        press(row(1));
        QCOMPARE(vp()->cursor().shape(), Qt::BitmapCursor);  // drag.ico
        MoveOver(vp(), row(3), Qt::LeftButton);
        QCOMPARE(texts(), (Texts{"A", "D", "C", "B"}));
        QCOMPARE(list()->currentIndex().row(), 3);
        QTest::mouseRelease(vp(), Qt::LeftButton, {}, {20, 100});
        QCOMPARE(vp()->cursor().shape(), Qt::ArrowCursor);
        // Scrolled down: no row out of sight moves with the pointer above or below the list.
        add({"E", "F", "G", "H", "I", "J", "K", "L"});
        row(0);
        list()->scrollToBottom();
        const QPoint first = row(list()->indexAt({5, 5}).row());
        const Texts before = texts();
        press(first);
        for (const int y : {-3, -60, vp()->height() + 2, vp()->height() + 60})
            MoveOver(vp(), {first.x(), y}, Qt::LeftButton);
        QCOMPARE(texts(), before);
        // Near the screen's lower edge an exchange brings the next entry into view.
        list()->scrollToTop();
        const int lastVisible = list()->indexAt({5, vp()->height() - 3}).row();
        p->ui.pointer = {0, 365};
        MoveOver(vp(), row(lastVisible), Qt::LeftButton);
        QVERIFY(lastVisible > 0 &&
                list()->visualRect(list()->model()->index(lastVisible + 1, 0)).bottom() <=
                    vp()->height());
    }

    void theOpenDialogAddsThePathsMeant() {
        test::TempDir t;
        for (const char* f : {"ab/d.log", "a/y.txt", "a/e/x.txt", "a/e/z.txt"}) t.file(f);
        auto quoted = [](const auto&... n) { return (("\"" + std::string(n) + "\" ") + ...); };
        // Typed: a folder entered with Return first, if any, then the names; "" cancels.
        const std::tuple<std::string, std::string, Texts> cases[] = {
            {"", t / "not-yet.txt", {t / "not-yet.txt"}},
            {"", "", {}},
            {"",
             quoted(t / "a/y.txt", t / "ab/d.log", t / "a/e/x.txt"),  // "a" is no folder of "ab"
             {t / "a/y.txt", t / "ab/d.log", t / "a/e/x.txt"}},
            {"a/e", quoted("z.txt", "x.txt"), {t / "a/e/z.txt", t / "a/e/x.txt"}},
            {"a/e", "x.txt", {t / "a/e/x.txt"}}};  // listed a second time
        QtUi ui;
        FileList list;
        Texts all;
        for (const auto& [enter, typed, meant] : cases) {
            // Answers the modal dialog from inside its own loop; never leaves it open.
            QTimer::singleShot(50, [&, enter = enter, typed = typed] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (dialog == nullptr) return;
                auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                auto* view = dialog->findChild<QAbstractItemView*>(QStringLiteral("listView"));
                if (!enter.empty()) {
                    edit->setText(QString::fromStdString(t / enter));
                    QTest::keyClick(edit, Qt::Key_Return);
                    QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 2);
                }
                edit->setText(QString::fromStdString(typed));
                dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))
                    ->button(QDialogButtonBox::Open)
                    ->click();
                if (QApplication::activeModalWidget() == dialog) dialog->reject();
            });
            AddPickedFiles(list, ui, '/');
            all.insert(all.end(), meant.begin(), meant.end());
            QCOMPARE(TextsOf(list), all);
        }
        // "*.*" shows files without a dot too.
        QCOMPARE(QtNameFilters("All Files (*.*)|*.*|Text Files (*.txt)|*.txt"),
                 (QStringList{"All Files (*.*) (*)", "Text Files (*.txt) (*.txt)"}));
    }
};

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
