#include "db/DatasetModel.h"
#include "DbTestSupport.h"

#include <QAbstractItemModelTester>

namespace {

class DatasetModelTest : public TempHome {
protected:
    void SetUp() override {
        TempHome::SetUp();
        openFresh();
    }
    static QStringList titles(const DatasetModel& m) {
        QStringList out;
        for (int c = 0; c < m.columnCount(); ++c)
            out << m.headerData(c, Qt::Horizontal).toString();
        return out;
    }
};

TEST_F(DatasetModelTest, ShowsLabelsAndFormatsAndFollowsTheDataset) {
    exec(QStringLiteral("insert into MH_AttendResourceRecord (Empl_Name, Brush_Date, Brush_Hour) values "
                        "('a', '2006-01-09 08:00:00', 8), ('b', '2006-01-09 09:30:00', 9)"));
    Dataset ds(db.connection(), QStringLiteral("select * from MH_AttendResourceRecord Order By Brush_Date"));
    ds.addRecordNumberField();
    // The tester compares column 0 around changes; the running number changes on purpose, so it comes second.
    DatasetModel m(&ds, {QStringLiteral("Empl_Name"), QStringLiteral("No"), QStringLiteral("Brush_Date"),
                         QStringLiteral("Brush_Hour"), QStringLiteral("Sign_Flag")});
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(m.rowCount(), 0);
    EXPECT_EQ(titles(m),
              (QStringList{QStringLiteral("姓名"), QStringLiteral("序号"), QStringLiteral("刷卡时间"),
                           QStringLiteral("小时"), QStringLiteral("Sign_Flag")}));

    ASSERT_TRUE(ds.open());
    ASSERT_EQ(m.rowCount(), 2);
    EXPECT_EQ(m.data(m.index(1, 1)).toString(), QStringLiteral("2"));
    EXPECT_EQ(m.data(m.index(1, 0)).toString(), QStringLiteral("b"));
    EXPECT_EQ(m.data(m.index(1, 2)).toString(), QStringLiteral("2006-01-09")); // shown "yyyy-mm-dd"
    EXPECT_EQ(m.data(m.index(1, 2), Qt::EditRole).toString(), QStringLiteral("2006-01-09 09:30:00"));
    EXPECT_EQ(m.displayWidth(1), 4);
    EXPECT_EQ(m.displayWidth(2), 10);
    EXPECT_FALSE(m.flags(m.index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_TRUE(m.flags(m.index(0, 0)) & Qt::ItemIsEditable);

    ds.append();
    ASSERT_EQ(m.rowCount(), 3);
    EXPECT_EQ(m.data(m.index(2, 1)).toString(), QStringLiteral("1")); // being inserted
    ASSERT_TRUE(m.setData(m.index(2, 0), QStringLiteral("c")));
    ds.post();
    EXPECT_EQ(m.data(m.index(2, 1)).toString(), QStringLiteral("3"));

    // Editing another row posts the one left.
    ASSERT_TRUE(m.setData(m.index(0, 0), QStringLiteral("aa")));
    ASSERT_TRUE(m.setData(m.index(1, 3), QStringLiteral("10")));
    EXPECT_EQ(
        scalar(QStringLiteral("select count(*) from MH_AttendResourceRecord where Empl_Name='aa'")).toInt(),
        1);
    EXPECT_FALSE(m.setData(m.index(1, 3), QStringLiteral("ten")));
    ds.cancel();
    EXPECT_EQ(m.data(m.index(1, 3)).toString(), QStringLiteral("9"));

    ds.setRecNo(1);
    ds.remove();
    EXPECT_EQ(m.rowCount(), 2);
    EXPECT_EQ(m.data(m.index(0, 0)).toString(), QStringLiteral("b"));
    ds.close();
    EXPECT_EQ(m.rowCount(), 0);
}

TEST_F(DatasetModelTest, AllFieldsByDefaultWithNamesWhereNoLabelAndReadOnlyColumns) {
    exec(QStringLiteral(
        "insert into MH_Evection (Empl_Name, Start_Date) values ('t', '2006-01-09 09:00:00')"));
    exec(QStringLiteral("insert into MH_EMail (Empl_Name, EMail) values ('r', 'r@example.com')"));
    Dataset trips(db.connection(), QStringLiteral("select * from MH_Evection order by Start_Date"));
    ASSERT_TRUE(trips.open());
    DatasetModel tm(&trips);
    EXPECT_EQ(tm.columnCount(), trips.fieldNames().size());
    EXPECT_EQ(tm.headerData(0, Qt::Horizontal).toString(), QStringLiteral("SDID"));
    EXPECT_FALSE(tm.flags(tm.index(0, 0)) & Qt::ItemIsEditable); // the counter
    const int start = tm.columnOf(QStringLiteral("Start_Date"));
    EXPECT_EQ(tm.data(tm.index(0, start)).toString(), QStringLiteral("2006-01-09 09:00:00"));
    EXPECT_EQ(tm.displayWidth(start), 20);

    Dataset mail(db.connection(), QStringLiteral("select * from MH_EMail"));
    ASSERT_TRUE(mail.open());
    DatasetModel mm(&mail,
                    {QStringLiteral("Empl_Name"), QStringLiteral("EMail"), QStringLiteral("Smtp_Server")});
    EXPECT_EQ(titles(mm),
              (QStringList{QStringLiteral("姓名"), QStringLiteral("EMail"), QStringLiteral("Smtp服务器")}));
    mm.setReadOnly(QStringLiteral("email"));
    EXPECT_FALSE(mm.setData(mm.index(0, 1), QStringLiteral("x@example.com")));
    mm.setTitle(QStringLiteral("EMail"), QStringLiteral("邮箱"));
    EXPECT_EQ(mm.headerData(1, Qt::Horizontal).toString(), QStringLiteral("邮箱"));

    Dataset grouped(db.connection(),
                    QStringLiteral("select Empl_Name, count(*) n from MH_EMail group by Empl_Name"));
    ASSERT_TRUE(grouped.open());
    DatasetModel gm(&grouped);
    EXPECT_FALSE(gm.flags(gm.index(0, 0)) & Qt::ItemIsEditable);
}

} // namespace
