#include "db/Schema.h"

#include <QStringList>

namespace schema {

namespace {

const QString kDate = QStringLiteral("yyyy-mm-dd");
const QString kDateTime = QStringLiteral("yyyy-mm-dd hh:mm:ss");

Column counter(const char* name) {
    return {QString::fromLatin1(name), Type::Counter, 0, {}, 0, {}};
}
Column text(const char* name, int size, const char* label = "", int width = 0) {
    return {QString::fromLatin1(name), Type::Text, size, QString::fromUtf8(label), width, {}};
}
Column fixed(const char* name, int size, const char* label = "", int width = 0) {
    return {QString::fromLatin1(name), Type::FixedText, size, QString::fromUtf8(label), width, {}};
}
Column memo(const char* name, const char* label = "") {
    return {QString::fromLatin1(name), Type::Memo, 0, QString::fromUtf8(label), 0, {}};
}
Column dateTime(const char* name, const char* label = "", int width = 0, const QString& format = {}) {
    return {QString::fromLatin1(name), Type::DateTime, 0, QString::fromUtf8(label), width, format};
}
Column integer(const char* name, const char* label = "", int width = 0) {
    return {QString::fromLatin1(name), Type::Integer, 0, QString::fromUtf8(label), width, {}};
}
Column real(const char* name, const char* label = "", int width = 0) {
    return {QString::fromLatin1(name), Type::Float, 0, QString::fromUtf8(label), width, {}};
}

std::vector<QString> names(std::initializer_list<const char*> list) {
    std::vector<QString> out;
    for (const char* n : list)
        out.push_back(QString::fromLatin1(n));
    return out;
}

std::vector<Table> build() {
    std::vector<Table> t;

    // The swipe table. Clock_Address holds three characters: reader addresses run up to 255, and a
    // two-character column would turn address 100 into 10.
    t.push_back({QStringLiteral("MH_AttendResourceRecord"),
                 {counter("SDID"), text("Empl_Name", 8, "姓名"), text("Dept_Name", 32, "部门", 16),
                  fixed("RE_Flag", 1, "异常标记"), text("RE_Content", 20, "异常种类"),
                  text("ADFlag", 2, "上下班标记", 2), dateTime("Brush_Date", "刷卡时间", 10, kDate),
                  integer("Brush_Hour", "小时", 2), integer("Brush_Minute", "分钟", 2),
                  integer("Brush_Second", "秒钟", 2), fixed("Card_Cord", 12, "卡号", 10),
                  fixed("Clock_Address", 3, "地址"), fixed("Sign_Flag", 2), text("Sign_Reason", 8),
                  text("Sign_Empl", 8), fixed("Flag", 2)},
                 names({"Brush_Date"})});

    t.push_back({QStringLiteral("MH_CardReg"),
                 {fixed("Empl_Code", 8, "工号"), text("Empl_Name", 20, "姓名", 8),
                  text("Card_Code", 12, "卡号"), text("Dept_Code", 12, "部门代号", 10),
                  text("Dept_Name", 32, "部门名称", 12), fixed("Attend_Team_Code", 20, "组号", 4),
                  fixed("Attend_Team_Name", 24, "考勤组名", 12), dateTime("Extend_Date", "发卡日期"),
                  real("Receive_Deposit", "收押金", 6), dateTime("Back_Date", "退卡日期"),
                  real("Back_Deposit", "退押金", 6), fixed("Stop_Flag", 2, "停用否"), fixed("sex", 2, "性别"),
                  fixed("Operator", 8, "操作员"), text("Duty", 12, "职务", 8),
                  text("Av_MachNo", 30, "刷卡机号", 8), text("Fit_Shift", 20, "自适应班次", 12)},
                 names({"Empl_Code", "Card_Code", "Dept_Code"})});

    // Department fields carry their own names as labels.
    t.push_back(
        {QStringLiteral("MH_AttendDept"),
         {text("Dept_Code", 12), text("Dept_Name", 32), dateTime("Operater_Date"), integer("Fact_Number")},
         names({"Dept_Code"})});

    t.push_back({QStringLiteral("MH_AttendTeamSet"),
                 {fixed("Attend_Team_Code", 20, "组号", 4), fixed("Attend_Team_Name", 24, "考勤组名", 12)},
                 {}});

    t.push_back({QStringLiteral("MH_EMail"),
                 {counter("SDID"), text("Empl_Name", 20, "姓名", 8), text("Dept_Name", 32, "部门", 16),
                  text("Duty", 20, "职务", 12), text("Mobile", 12, "手机"), text("EMail", 50, "", 30),
                  text("Mail_User", 20, "用户名", 12), text("Mail_Password", 12, "口令"),
                  text("Smtp_Server", 50, "Smtp服务器", 30), text("Other", 20, "其它")},
                 {}});

    t.push_back({QStringLiteral("MH_Evection"),
                 {counter("SDID"), text("Empl_Code", 8, "工号", 4), text("Empl_Name", 20, "姓名"),
                  text("Card_Code", 12, "卡号", 10), dateTime("Start_Date", "开始时间", 20, kDateTime),
                  dateTime("End_Date", "结束时间", 20, kDateTime), text("Evection_Reason", 50, "出差原因")},
                 names({"Start_Date"})});

    t.push_back({QStringLiteral("MH_SendMail"),
                 {counter("SDID"), text("Rec_Man", 20, "收件人名", 8), text("Rec_Mail", 50, "EMail地址", 20),
                  text("Subject", 20, "标题"), memo("Body", "发送内容"), text("Send_Flag", 1, "成功否标记"),
                  dateTime("Send_Time", "发送时间", 20, kDateTime), text("Send_Man", 20, "发送人", 8),
                  text("Other", 50, "其它", 20)},
                 names({"Send_Time"})});

    t.push_back({QStringLiteral("MH_SmsRecord"),
                 {counter("SDID"), text("Rec_Man", 20, "收件人名", 8), text("Mobile", 12, "手机号"),
                  text("Subject", 20, "标题"), memo("Sms_Content", "发送内容"),
                  text("Send_Flag", 1, "成功否标记"), dateTime("Send_Time", "发送时间", 20, kDateTime),
                  text("Send_Man", 20, "发送人", 8), text("Other", 50, "其它", 20)},
                 names({"Send_Time"})});

    t.push_back({QStringLiteral("MH_ChangeCardRec"),
                 {text("Empl_Code", 8), text("Empl_Name", 20), text("Old_Card_Code", 12),
                  text("New_Card_Code", 12), dateTime("Change_Date")},
                 {}});

    // Tables of the wider attendance schema; the desk only rewrites their card column.
    t.push_back({QStringLiteral("MH_AttResRec"),
                 {counter("SDID"), fixed("Empl_Code", 8), text("Empl_Name", 20), fixed("Card_Cord", 12),
                  dateTime("Brush_Date"), fixed("Clock_Address", 3)},
                 names({"Card_Cord"})});
    t.push_back({QStringLiteral("MH_ShiRec"),
                 {counter("SDID"), fixed("Empl_Code", 8), text("Card_Code", 12), dateTime("Shift_Date"),
                  text("Shift_Code", 10)},
                 names({"Card_Code"})});
    t.push_back({QStringLiteral("MH_ShiftLog"),
                 {counter("SDID"), fixed("Empl_Code", 8), text("Card_Code", 12), dateTime("Log_Date"),
                  text("Log_Content", 50)},
                 names({"Card_Code"})});
    t.push_back({QStringLiteral("MH_AttResDay"),
                 {counter("SDID"), fixed("Empl_Code", 8), text("Card_Code", 12), dateTime("Attend_Date"),
                  integer("Work_Minutes"), integer("Late_Minutes"), integer("Early_Minutes")},
                 names({"Card_Code"})});
    t.push_back(
        {QStringLiteral("MH_AttResMon"),
         {counter("SDID"), fixed("Empl_Code", 8), text("Card_Code", 12), text("Attend_Month", 7),
          integer("Work_Days"), integer("Late_Times"), integer("Early_Times"), integer("Absent_Days")},
         names({"Card_Code"})});
    t.push_back({QStringLiteral("MH_AttResRep"),
                 {counter("SDID"), fixed("Empl_Code", 8), text("Card_Code", 12), dateTime("Rep_Date"),
                  text("Rep_Content", 50)},
                 names({"Card_Code"})});
    return t;
}

} // namespace

int Column::width() const {
    if (displayWidth > 0) return displayWidth;
    switch (type) {
    case Type::Text:
    case Type::FixedText:
        return size;
    case Type::DateTime:
        return 19;
    default:
        return 10;
    }
}

const Column* Table::column(const QString& n) const {
    for (const Column& c : columns)
        if (c.name.compare(n, Qt::CaseInsensitive) == 0) return &c;
    return nullptr;
}

const std::vector<Table>& tables() {
    static const std::vector<Table> all = build();
    return all;
}

const Table* table(const QString& name) {
    for (const Table& t : tables())
        if (t.name.compare(name, Qt::CaseInsensitive) == 0) return &t;
    return nullptr;
}

const Column& calculatedNo() {
    static const Column no{QStringLiteral("No"), Type::Integer, 0, QStringLiteral("序号"), 4, {}};
    return no;
}

QString sqlType(const Column& c) {
    switch (c.type) {
    case Type::Counter:
        return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    case Type::Text:
        return QStringLiteral("VARCHAR(%1)").arg(c.size);
    case Type::FixedText:
        return QStringLiteral("CHAR(%1)").arg(c.size);
    case Type::Memo:
    case Type::DateTime: // TEXT affinity: the stored form must never be turned into a number
        return QStringLiteral("TEXT");
    case Type::Integer:
        return QStringLiteral("INTEGER");
    case Type::Float:
        return QStringLiteral("REAL");
    }
    return QStringLiteral("TEXT");
}

std::vector<QString> createStatements() {
    std::vector<QString> out;
    for (const Table& t : tables()) {
        QStringList cols;
        for (const Column& c : t.columns)
            cols << c.name + QLatin1Char(' ') + sqlType(c);
        out.push_back(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)")
                          .arg(t.name, cols.join(QStringLiteral(", "))));
        for (const QString& col : t.indexed)
            out.push_back(QStringLiteral("CREATE INDEX IF NOT EXISTS IX_%1_%2 ON %1 (%2)").arg(t.name, col));
    }
    return out;
}

} // namespace schema
