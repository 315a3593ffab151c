#include "db/Dataset.h"
#include "DbTestSupport.h"
#include "db/Sql.h"

#include <QSqlError>

namespace {

const QString kDay =
    QStringLiteral("select * from MH_AttendResourceRecord where Brush_Date>=CDate('2006-01-09 00:00:00') "
                   "and Brush_Date<=CDate('2006-01-09 23:59:00') order by Brush_Date");

class DatasetTest : public TempHome {
protected:
    void SetUp() override {
        TempHome::SetUp();
        openFresh();
    }
    // Swipes: four on 2006-01-09 (names a..d, 08:00 onward), two on the day after (x, y).
    void addSwipes() {
        const char* rows[][2] = {{"c", "2006-01-09 10:00:00"}, {"a", "2006-01-09 08:00:00"},
                                 {"x", "2006-01-10 08:00:00"}, {"d", "2006-01-09 11:00:00"},
                                 {"b", "2006-01-09 09:00:00"}, {"y", "2006-01-10 09:00:00"}};
        for (const auto& r : rows)
            exec(QStringLiteral(
                     "insert into MH_AttendResourceRecord (Empl_Name, Brush_Date) values ('%1', '%2')")
                     .arg(QLatin1String(r[0]), QLatin1String(r[1])));
    }
    QString names(Dataset& ds) {
        QString out;
        for (int i = 0; i < ds.recordCount(); ++i)
            out += ds.value(i, QStringLiteral("Empl_Name")).toString();
        return out;
    }
    int stored(const QString& where = QStringLiteral("1=1")) {
        return scalar(QStringLiteral("select count(*) from MH_AttendResourceRecord where ") + where).toInt();
    }
};

TEST_F(DatasetTest, NavigatesAStaticResult) {
    addSwipes();
    Dataset ds(db.connection(), kDay);
    ASSERT_TRUE(ds.open()) << ds.error().toStdString();
    EXPECT_EQ(ds.tableName(), QStringLiteral("MH_AttendResourceRecord"));
    EXPECT_FALSE(ds.isReadOnly());
    EXPECT_EQ(ds.recordCount(), 4);
    EXPECT_EQ(ds.fieldNames().first(), QStringLiteral("SDID")); // the rowid stays hidden
    EXPECT_EQ(ds.recNo(), 1);
    EXPECT_TRUE(ds.bof());
    EXPECT_FALSE(ds.eof());

    QString seen;
    while (!ds.eof()) {
        seen += ds.text(QStringLiteral("empl_name")) + QString::number(ds.recNo());
        ds.next();
    }
    EXPECT_EQ(seen, QStringLiteral("a1b2c3d4"));
    EXPECT_EQ(ds.recNo(), 4);

    ds.last();
    EXPECT_TRUE(ds.eof());
    ds.prior();
    EXPECT_EQ(ds.text(QStringLiteral("Empl_Name")), QStringLiteral("c"));
    EXPECT_FALSE(ds.eof());
    ds.first();
    ds.prior();
    EXPECT_TRUE(ds.bof());
    EXPECT_EQ(ds.recNo(), 1);
    EXPECT_TRUE(ds.setRecNo(3));
    EXPECT_EQ(ds.text(QStringLiteral("Empl_Name")), QStringLiteral("c"));
    EXPECT_FALSE(ds.setRecNo(5));
    EXPECT_EQ(ds.text(QStringLiteral("Brush_Date")), QStringLiteral("2006-01-09 10:00:00"));
    EXPECT_EQ(ds.dateTime(QStringLiteral("Brush_Date")), QDateTime(QDate(2006, 1, 9), QTime(10, 0)));
    EXPECT_TRUE(ds.fieldByName(QStringLiteral("Brush_Hour")).isNull());
    EXPECT_EQ(ds.text(QStringLiteral("Brush_Hour")), QString());

    ds.setSql(QStringLiteral("select * from MH_AttendResourceRecord where Brush_Date>CDate('2007-01-01')"));
    ASSERT_TRUE(ds.refresh());
    EXPECT_TRUE(ds.isEmpty());
    EXPECT_EQ(ds.recNo(), 0);
    EXPECT_TRUE(ds.eof());
    EXPECT_TRUE(ds.bof());
}

TEST_F(DatasetTest, AFailingQueryLeavesItClosed) {
    Dataset ds(db.connection(), QStringLiteral("select * from MH_NoSuchTable"));
    EXPECT_FALSE(ds.open());
    EXPECT_FALSE(ds.error().isEmpty());
    EXPECT_FALSE(ds.isOpen());
    EXPECT_FALSE(ds.append());
}

TEST_F(DatasetTest, AppendPostFillsTheCounterAndKeepsTheRowAtTheEnd) {
    addSwipes();
    Dataset ds(db.connection(), kDay);
    ds.addRecordNumberField();
    ASSERT_TRUE(ds.open());
    int inserted = -1;
    QObject::connect(&ds, &Dataset::rowInserted, [&](int row) { inserted = row; });

    ASSERT_TRUE(ds.append());
    EXPECT_EQ(inserted, 4);
    EXPECT_EQ(ds.state(), Dataset::State::Insert);
    EXPECT_EQ(ds.recNo(), 5);
    EXPECT_EQ(ds.fieldByName(QStringLiteral("No")).toInt(), 1); // a row being inserted counts 1
    const QDateTime at(QDate(2006, 1, 11), QTime(8, 36, 5));    // outside the range: still shown
    ASSERT_TRUE(ds.setField(QStringLiteral("Card_Cord"), QStringLiteral("0001234567")));
    ASSERT_TRUE(ds.setField(QStringLiteral("Empl_Name"), QStringLiteral("O'Neil")));
    ASSERT_TRUE(ds.setField(QStringLiteral("Brush_Date"), at));
    ASSERT_TRUE(ds.setField(QStringLiteral("Brush_Hour"), 8));
    ASSERT_TRUE(ds.setField(QStringLiteral("RE_Content"), QStringLiteral("迟到1分钟")));
    ASSERT_TRUE(ds.post()) << ds.error().toStdString();

    EXPECT_EQ(ds.state(), Dataset::State::Browse);
    EXPECT_EQ(ds.recordCount(), 5);
    EXPECT_EQ(ds.recNo(), 5);
    EXPECT_EQ(ds.fieldByName(QStringLiteral("No")).toInt(), 5);
    const qint64 id = ds.fieldByName(QStringLiteral("SDID")).toLongLong();
    EXPECT_EQ(id, scalar(QStringLiteral("select max(SDID) from MH_AttendResourceRecord")).toLongLong());
    EXPECT_EQ(ds.text(QStringLiteral("Brush_Date")), QStringLiteral("2006-01-11 08:36:05"));
    EXPECT_EQ(scalar(QStringLiteral(
                         "select Empl_Name || '|' || Brush_Date || '|' || Brush_Hour || '|' || RE_Content "
                         "from MH_AttendResourceRecord where SDID=%1")
                         .arg(id))
                  .toString(),
              QStringLiteral("O'Neil|2006-01-11 08:36:05|8|迟到1分钟"));
    EXPECT_TRUE(scalar(QStringLiteral(
                           "select typeof(Brush_Hour)='integer' from MH_AttendResourceRecord where SDID=%1")
                           .arg(id))
                    .toBool());
}

TEST_F(DatasetTest, TextsAreCutToTheirColumnOnPost) {
    Dataset ds(db.connection(), QStringLiteral("select * from MH_AttendResourceRecord Order By Brush_Date"));
    ASSERT_TRUE(ds.open());
    ASSERT_TRUE(ds.append());
    ds.setField(QStringLiteral("Empl_Name"), QStringLiteral("欧阳司马长名字的人")); // 9 characters
    ds.setField(QStringLiteral("Dept_Name"), QString(40, QLatin1Char('d')));
    ds.setField(QStringLiteral("Clock_Address"), QStringLiteral("255"));
    ASSERT_TRUE(ds.post()) << ds.error().toStdString();
    EXPECT_EQ(ds.text(QStringLiteral("Empl_Name")), QStringLiteral("欧阳司马长名字的"));
    EXPECT_EQ(scalar(QStringLiteral("select Empl_Name from MH_AttendResourceRecord")).toString(),
              QStringLiteral("欧阳司马长名字的"));
    EXPECT_EQ(scalar(QStringLiteral("select length(Dept_Name) from MH_AttendResourceRecord")).toInt(), 32);
    EXPECT_EQ(scalar(QStringLiteral("select Clock_Address from MH_AttendResourceRecord")).toString(),
              QStringLiteral("255"));

    // Editing cuts the same way.
    ASSERT_TRUE(ds.setField(QStringLiteral("Empl_Name"), QStringLiteral("Christopher")));
    ASSERT_TRUE(ds.post());
    EXPECT_EQ(ds.text(QStringLiteral("Empl_Name")), QStringLiteral("Christop"));
    EXPECT_EQ(scalar(QStringLiteral("select Empl_Name from MH_AttendResourceRecord")).toString(),
              QStringLiteral("Christop"));
}

TEST_F(DatasetTest, EditPostsCancelRestoresAndMovingOffPosts) {
    addSwipes();
    Dataset ds(db.connection(), kDay);
    ASSERT_TRUE(ds.open());
    ds.setRecNo(2);
    ASSERT_TRUE(ds.edit());
    ds.setField(QStringLiteral("Empl_Name"), QStringLiteral("bb"));
    ASSERT_TRUE(ds.post());
    EXPECT_EQ(stored(QStringLiteral("Empl_Name='bb'")), 1);

    ds.setField(QStringLiteral("Empl_Name"), QStringLiteral("zz")); // enters Edit by itself
    EXPECT_EQ(ds.state(), Dataset::State::Edit);
    EXPECT_EQ(ds.text(QStringLiteral("Empl_Name")), QStringLiteral("zz"));
    ds.cancel();
    EXPECT_EQ(ds.text(QStringLiteral("Empl_Name")), QStringLiteral("bb"));
    EXPECT_EQ(stored(QStringLiteral("Empl_Name='zz'")), 0);

    ds.setField(QStringLiteral("RE_Flag"), QStringLiteral("Y"));
    ds.next(); // leaving a changed row stores it
    EXPECT_EQ(ds.state(), Dataset::State::Browse);
    EXPECT_EQ(ds.recNo(), 3);
    EXPECT_EQ(stored(QStringLiteral("Empl_Name='bb' and RE_Flag='Y'")), 1);

    ds.append(); // leaving an untouched appended row drops it
    ds.first();
    EXPECT_EQ(ds.recordCount(), 4);
    EXPECT_EQ(stored(), 6);

    EXPECT_FALSE(ds.setField(QStringLiteral("Brush_Date"), QStringLiteral("2006-13-01")));
    EXPECT_FALSE(ds.setField(QStringLiteral("Brush_Hour"), QStringLiteral("eight")));
    EXPECT_FALSE(ds.setField(QStringLiteral("SDID"), 99));
    EXPECT_FALSE(ds.setField(QStringLiteral("NoSuchField"), 1));
    EXPECT_TRUE(ds.setField(QStringLiteral("Brush_Date"), QStringLiteral("2006-1-9 7:5")));
    EXPECT_TRUE(ds.post());
    EXPECT_EQ(stored(QStringLiteral("Brush_Date='2006-01-09 07:05:00'")), 1);
}

TEST_F(DatasetTest, BeforePostCanRefuseAndKeepsTheRowInEditing) {
    Dataset ds(db.connection(), QStringLiteral("select * from MH_CardReg order by Empl_Code"));
    ds.beforePost = [](Dataset& d) {
        if (d.state() == Dataset::State::Insert && d.text(QStringLiteral("Stop_Flag")).isEmpty())
            d.setField(QStringLiteral("Stop_Flag"), QStringLiteral("NN"));
        return !d.text(QStringLiteral("Empl_Code")).trimmed().isEmpty();
    };
    QStringList changes;
    ds.onFieldChange = [&](Dataset&, const QString& f) { changes << f; };
    ASSERT_TRUE(ds.open());
    ASSERT_TRUE(ds.append());
    ds.setField(QStringLiteral("Empl_Name"), QStringLiteral("王小东"));
    EXPECT_FALSE(ds.post());
    EXPECT_TRUE(ds.error().isEmpty());
    EXPECT_EQ(ds.state(), Dataset::State::Insert);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from MH_CardReg")).toInt(), 0);
    ds.setField(QStringLiteral("Empl_Code"), QStringLiteral("0001"));
    ASSERT_TRUE(ds.post());
    EXPECT_EQ(scalar(QStringLiteral("select Stop_Flag from MH_CardReg")).toString(), QStringLiteral("NN"));
    EXPECT_EQ(changes, (QStringList{QStringLiteral("Empl_Name"), QStringLiteral("Stop_Flag"),
                                    QStringLiteral("Empl_Code")}));
}

TEST_F(DatasetTest, DeleteAsksTheHookAndLeavesTheCursorOnTheNextRow) {
    addSwipes();
    Dataset ds(db.connection(), kDay);
    bool allow = false;
    int asked = 0;
    ds.beforeDelete = [&](Dataset&) {
        ++asked;
        return allow;
    };
    ASSERT_TRUE(ds.open());
    ds.setRecNo(2);
    EXPECT_FALSE(ds.remove());
    EXPECT_TRUE(ds.error().isEmpty());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(ds.recordCount(), 4);
    EXPECT_EQ(stored(), 6);
    EXPECT_EQ(ds.text(QStringLiteral("Empl_Name")), QStringLiteral("b"));

    allow = true;
    int removed = -1;
    QObject::connect(&ds, &Dataset::rowRemoved, [&](int row) { removed = row; });
    ASSERT_TRUE(ds.remove());
    EXPECT_EQ(removed, 1);
    EXPECT_EQ(names(ds), QStringLiteral("acd"));
    EXPECT_EQ(ds.text(QStringLiteral("Empl_Name")), QStringLiteral("c"));
    EXPECT_EQ(stored(QStringLiteral("Empl_Name='b'")), 0);
    ds.last();
    ASSERT_TRUE(ds.remove());
    EXPECT_EQ(ds.text(QStringLiteral("Empl_Name")), QStringLiteral("c")); // the last row now
    EXPECT_TRUE(ds.eof());
}

TEST_F(DatasetTest, ClearingAFilteredViewDeletesOnlyItsRows) {
    addSwipes();
    Dataset ds(db.connection(), kDay);
    ds.beforeDelete = [](Dataset&) { return false; };
    ASSERT_TRUE(ds.open());
    ds.beforeDelete = nullptr; // the clear command detaches the confirmation
    ds.disableControls();
    ds.first();
    while (!ds.isEmpty())
        ASSERT_TRUE(ds.remove());
    ds.enableControls();
    EXPECT_EQ(stored(), 2);
    EXPECT_EQ(stored(QStringLiteral("Empl_Name in ('x','y')")), 2);

    addSwipes();
    ds.setSql(
        QStringLiteral("select * from MH_AttendResourceRecord where Brush_Date>=CDate('2006-01-10') order by "
                       "Brush_Date"));
    ASSERT_TRUE(ds.open());
    EXPECT_EQ(ds.recordCount(), 4);
    ASSERT_TRUE(ds.removeAll());
    EXPECT_TRUE(ds.isEmpty());
    EXPECT_EQ(stored(), 4);
    EXPECT_EQ(stored(QStringLiteral("Brush_Date<'2006-01-10'")), 4);
}

TEST_F(DatasetTest, CalculatedNumberFollowsThePosition) {
    addSwipes();
    Dataset ds(db.connection(), kDay);
    ds.addRecordNumberField();
    ASSERT_TRUE(ds.open());
    const int no = ds.fieldIndex(QStringLiteral("NO"));
    ASSERT_GE(no, 0);
    EXPECT_TRUE(ds.isCalculated(no));
    for (int i = 0; i < ds.recordCount(); ++i)
        EXPECT_EQ(ds.value(i, no).toInt(), i + 1);
    ds.setRecNo(1);
    ds.remove();
    EXPECT_EQ(ds.value(0, no).toInt(), 1);
    EXPECT_EQ(ds.value(2, no).toInt(), 3);
    EXPECT_FALSE(ds.setField(QStringLiteral("No"), 7));
}

TEST_F(DatasetTest, OnlySingleTableSelectsWriteBack) {
    exec(
        QStringLiteral("insert into MH_CardReg (Empl_Code, Card_Code, Empl_Name) values ('0002', '22', 'b'), "
                       "('0001', '11', 'a')"));
    Dataset ds(db.connection(),
               QStringLiteral("select Empl_Code,Card_Code from MH_CardReg order by Empl_Code"));
    ASSERT_TRUE(ds.open());
    EXPECT_FALSE(ds.isReadOnly());
    EXPECT_EQ(ds.fieldNames(), (QStringList{QStringLiteral("Empl_Code"), QStringLiteral("Card_Code")}));
    ds.setField(QStringLiteral("Card_Code"), QStringLiteral("99"));
    ASSERT_TRUE(ds.post());
    EXPECT_EQ(scalar(QStringLiteral("select Card_Code from MH_CardReg where Empl_Code='0001'")).toString(),
              QStringLiteral("99"));

    for (const char* s : {"select count(*) from MH_CardReg", "select Empl_Code || 'x' from MH_CardReg",
                          "select a.Empl_Code from MH_CardReg a, MH_AttendDept b",
                          "select Dept_Code,Count(*) from MH_CardReg group by Dept_Code",
                          "select distinct Empl_Code from MH_CardReg"}) {
        Dataset ro(db.connection(), QString::fromLatin1(s));
        ASSERT_TRUE(ro.open()) << s << ": " << ro.error().toStdString();
        EXPECT_TRUE(ro.isReadOnly()) << s;
        EXPECT_FALSE(ro.append()) << s;
    }
    Dataset aliased(db.connection(),
                    QStringLiteral("select r.* from MH_CardReg r where r.Empl_Code like '000%'"));
    ASSERT_TRUE(aliased.open());
    EXPECT_FALSE(aliased.isReadOnly());
    EXPECT_EQ(aliased.recordCount(), 2);
}

TEST_F(DatasetTest, SignalsStayQuietWhileControlsAreDisabled) {
    addSwipes();
    Dataset ds(db.connection(), kDay);
    ASSERT_TRUE(ds.open());
    int notices = 0, resets = 0;
    QObject::connect(&ds, &Dataset::rowChanged, [&] { ++notices; });
    QObject::connect(&ds, &Dataset::currentChanged, [&] { ++notices; });
    QObject::connect(&ds, &Dataset::rowInserted, [&] { ++notices; });
    QObject::connect(&ds, &Dataset::reset, [&] { ++resets; });
    ds.disableControls();
    ds.last();
    ds.append();
    ds.setField(QStringLiteral("Empl_Name"), QStringLiteral("n"));
    ds.post();
    EXPECT_EQ(notices, 0);
    EXPECT_EQ(resets, 0);
    ds.enableControls();
    EXPECT_EQ(resets, 1);
}

TEST_F(DatasetTest, SortsInMemoryAndKeepsTheCurrentRow) {
    addSwipes();
    Dataset ds(db.connection(), QStringLiteral("select * from MH_AttendResourceRecord"));
    ASSERT_TRUE(ds.open());
    ds.setRecNo(3); // x
    ASSERT_TRUE(ds.sortBy(QStringLiteral("Empl_Name")));
    EXPECT_EQ(names(ds), QStringLiteral("abcdxy"));
    EXPECT_EQ(ds.text(QStringLiteral("Empl_Name")), QStringLiteral("x"));
    ASSERT_TRUE(ds.sortBy(QStringLiteral("Brush_Date"), false));
    EXPECT_EQ(names(ds), QStringLiteral("yxdcba"));
}

} // namespace
