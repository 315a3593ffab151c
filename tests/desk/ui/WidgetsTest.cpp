// The main window's small widgets: the navigator bar, the status panels and the splash window.

#include "QtPrint.h"
#include "desk/ui/DBNavigator.h"
#include "desk/ui/StatusPanels.h"
#include "desk/ui/TfrmShape.h"

#include <QLabel>
#include <QStatusBar>
#include <QToolButton>
#include <gtest/gtest.h>

TEST(DBNavigatorTest, ShowsTheNamedButtonsAndReportsThePressedOne) {
    DBNavigator nav;
    nav.setObjectName(QStringLiteral("DBNavigator4"));
    nav.setProperty("buttons",
                    QStringLiteral("first, prior,next,last,insert,delete,post,cancel,bogus,first"));
    using B = DBNavigator::Button;
    EXPECT_EQ(nav.visibleButtons(),
              (QList<B>{B::First, B::Prior, B::Next, B::Last, B::Insert, B::Delete, B::Post, B::Cancel}));
    EXPECT_EQ(nav.buttons(), QStringLiteral("first,prior,next,last,insert,delete,post,cancel"));

    nav.setButtons(QStringLiteral("first,prior,next,last,delete"));
    EXPECT_EQ(nav.button(B::Insert), nullptr);
    EXPECT_EQ(nav.findChildren<QToolButton*>().size(), 5);
    QList<B> pressed;
    QObject::connect(&nav, &DBNavigator::clicked, [&](B b) { pressed << b; });
    nav.click(B::Last);
    nav.click(B::Delete);
    nav.click(B::Insert); // not shown: nothing happens
    EXPECT_EQ(pressed, (QList<B>{B::Last, B::Delete}));
}

TEST(StatusPanelsTest, PanelsAreAddressedByIndex) {
    QStatusBar bar;
    StatusPanels panels(&bar, {80, 300, 80, 60, 80, 0});
    EXPECT_EQ(panels.count(), 6);
    panels.setPanelText(1, QStringLiteral("员工刷卡签到成功！"));
    panels.setPanelText(9, QStringLiteral("ignored"));
    EXPECT_EQ(panels.panelText(1), QStringLiteral("员工刷卡签到成功！"));
    EXPECT_EQ(panels.panelText(9), QString());
    EXPECT_EQ(panels.panel(1)->objectName(), QStringLiteral("StatusPanel1"));
}

TEST(TfrmShapeTest, BorderlessFixedSizeAndCentred) {
    TfrmShape splash;
    splash.showNow();
    EXPECT_TRUE(splash.isVisible());
    EXPECT_EQ(splash.size(), QSize(445, 153));
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    const QImage picture = splash.grab().toImage();
    ASSERT_EQ(picture.size(), QSize(445, 153));
    // Painted: the top is the dark blue of the picture, not an empty background.
    EXPECT_LT(QColor(picture.pixel(5, 5)).lightness(), 110);
}
