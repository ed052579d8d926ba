#include "spinedit.h"

#include "qtprint.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>

namespace {

struct StepCase {
    const char *loaded;
    Qt::Key key;
    const char *shown;
};

TEST(SpinEdit, ArrowsAndKeysStepByOneWithinOneToThree)
{
    const StepCase cases[] = {
        {"3", Qt::Key_Up, "3"},   {"1", Qt::Key_Down, "1"}, {"2", Qt::Key_Up, "3"},  {"2", Qt::Key_Down, "1"},
        {"7", Qt::Key_Up, "3"},   {"7", Qt::Key_Down, "3"}, {"0", Qt::Key_Up, "1"},  {"-5", Qt::Key_Down, "1"},
        {"x", Qt::Key_Up, "2"},   {"", Qt::Key_Down, "1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.loaded << (c.key == Qt::Key_Up ? " up" : " down"));
        TSpinEdit spin;
        spin.SetText(c.loaded);
        EXPECT_EQ(spin.text(), c.loaded);
        QTest::keyClick(&spin, c.key);
        EXPECT_EQ(spin.text(), c.shown);
        spin.SetText(c.loaded);
        spin.stepBy(c.key == Qt::Key_Up ? 1 : -1);
        EXPECT_EQ(spin.text(), c.shown) << "by the arrow button";
    }
}

TEST(SpinEdit, RefusesTypingCuttingAndPasting)
{
    TSpinEdit spin;
    spin.SetText("1");
    QApplication::clipboard()->setText("3");
    QTest::keyClicks(&spin, "2");
    QTest::keyClick(&spin, Qt::Key_Backspace);
    QTest::keyClick(&spin, Qt::Key_Delete);
    QTest::keySequence(&spin, QKeySequence::SelectAll);
    QTest::keySequence(&spin, QKeySequence::Cut);
    QTest::keySequence(&spin, QKeySequence::Paste);
    EXPECT_EQ(spin.text(), "1");
}

TEST(SpinEdit, ALoadedValueOutsideTheRangeIsLimitedWhenTheFocusLeaves)
{
    QWidget window;
    auto *spin = new TSpinEdit(&window);
    auto *other = new QLineEdit(&window);
    other->move(0, 40);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    for (const auto &[loaded, limited] : {std::pair{"7", "3"}, {"0", "1"}, {"2", "2"}}) {
        SCOPED_TRACE(loaded);
        spin->SetText(loaded);
        spin->setFocus();
        EXPECT_EQ(spin->text(), loaded);
        other->setFocus();
        EXPECT_EQ(spin->text(), limited);
    }
}

} // namespace
