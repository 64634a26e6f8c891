#include "modem/ReceiveLog.h"
#include "shell/ReceiveLogView.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

TEST(ReceiveLogView, AppendsExactlyWhatThePlainRuleGives)
{
    ReceiveLogView view;
    QString model;
    QRandomGenerator random(6400);
    const QString alphabet = QStringLiteral("ATZOK RING\r\n\b<b>x</b>&amp;");
    for (int round = 0; round < 400; ++round) {
        QString text;
        const int size = random.bounded(0, 120);
        for (int i = 0; i < size; ++i)
            text += alphabet.at(random.bounded(alphabet.size()));
        receivelog::append(model, text);
        view.appendReceived(text);
        ASSERT_EQ(view.toPlainText(), model) << "round " << round;
        ASSERT_EQ(view.length(), model.size());
    }
    // A burst goes into the box in one step and must trim as the texts one after another
    // would: long bursts cross the trim line several times.
    for (int round = 0; round < 60; ++round) {
        const int texts = random.bounded(1, 200);
        for (int t = 0; t < texts; ++t) {
            QString text;
            const int size = random.bounded(0, 400);
            for (int i = 0; i < size; ++i)
                text += alphabet.at(random.bounded(alphabet.size()));
            receivelog::append(model, text);
            view.appendReceived(text);
        }
        ASSERT_EQ(view.toPlainText(), model) << "burst " << round;
    }
    // Markup from the line stays text.
    view.appendReceived(QStringLiteral("<b>NAME</b>\r"));
    EXPECT_TRUE(view.toPlainText().endsWith(QLatin1String("<b>NAME</b>\n")));
}

TEST(ReceiveLogView, TypedKeysAreReportedNotInserted)
{
    ReceiveLogView view;
    view.appendReceived(QStringLiteral("OK\r"));
    QList<short> keys;
    QObject::connect(&view, &ReceiveLogView::KeyPress, [&](short k) { keys.append(k); });

    QTest::keyClicks(&view, QStringLiteral("at"));
    QTest::keyClick(&view, Qt::Key_Return);
    QTest::keyClick(&view, Qt::Key_Backspace);
    QTest::keyClick(&view, Qt::Key_Left); // moves, is not a character
    EXPECT_EQ(keys, (QList<short>{'a', 't', 13, 8}));
    EXPECT_EQ(view.toPlainText(), QStringLiteral("OK\n"));
}

TEST(ReceiveLogView, PasteAndDropDoNotEditIt)
{
    ReceiveLogView view;
    view.appendReceived(QStringLiteral("line\r"));
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    view.paste();
    QTest::keyClick(&view, Qt::Key_V, Qt::ControlModifier);
    QMimeData mime;
    mime.setText(QStringLiteral("dropped"));
    EXPECT_FALSE(view.acceptDrops());
    EXPECT_FALSE(view.document()->isUndoRedoEnabled());
    EXPECT_EQ(view.toPlainText(), QStringLiteral("line\n"));
}

TEST(ReceiveLogView, ScrollsToWhatWasAppended)
{
    ReceiveLogView view;
    view.resize(200, 100);
    view.show();
    for (int i = 0; i < 100; ++i)
        view.appendReceived(QStringLiteral("RING\r\n"));
    QCoreApplication::processEvents();
    EXPECT_GT(view.verticalScrollBar()->value(), 0);
    EXPECT_TRUE(view.viewport()->rect().contains(view.cursorRect()));
}

} // namespace
