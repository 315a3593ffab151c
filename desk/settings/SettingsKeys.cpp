#include "SettingsKeys.h"

#include "common/Formats.h"

namespace settings {

QTime TimeSetting::defaultTime() const {
    return fmt::parseTime(key->defaultValue()).value_or(QTime(0, 0));
}

const std::vector<TimeSetting>& timeSettings() {
    static const std::vector<TimeSetting> table = {
        {&SysSet::ATime, "上班时间：", ""},
        {&SysSet::DTime, "下班时间：", ""},
        {&SysSet::ADTime, "上下班分界时间点：", ""},
        {&SysSet::AMTime, "发上班考勤报告时间：", ""},
        {&SysSet::DMTime, "发下班考勤报告时间：", ""},
        {&SysSet::ASTime, "加班时间点：", ""},
        {&SysSet::ASATime, "头天加班的员工可在第二天", "前刷卡不算迟到；"},
        {&SysSet::SysTime, "系统自动维护时间：", ""},
    };
    return table;
}

const TimeSetting* findTimeSetting(const QString& pickerName) {
    for (const TimeSetting& t : timeSettings())
        if (t.key->keyName().compare(pickerName, Qt::CaseInsensitive) == 0) return &t;
    return nullptr;
}

const std::vector<const Key*>& fileKeys() {
    static const std::vector<const Key*> keys = {
        &SysSet::MachType,
        &SysSet::ATime,
        &SysSet::DTime,
        &SysSet::ADTime,
        &SysSet::AMTime,
        &SysSet::DMTime,
        &SysSet::ASTime,
        &SysSet::ASATime,
        &SysSet::SysTime,
        &SysSet::CoApellation,
        &SysSet::AbMail,
        &SysSet::MailInit,
        &SysSet::AbSms,
        &SysSet::CallName,
        &SysSet::AutoBrush,
        &SysSet::Provider,
        &Comm::PORT,
        &Comm::BANDRATE,
        &EMailSet::EMail,
        &EMailSet::Smtp,
        &EMailSet::UserName,
        &EMailSet::Password,
        &EMailSet::AttMent,
        &EMailSet::OutTime,
        &EMailSet::SendWeeks,
        &EMailSet::AbSdLate,
        &EMailSet::AbSdEarly,
        &EMailSet::AbSdAbsence,
        &EMailSet::AbSdAttend,
        &VideoSet::SaveType,
        &VideoSet::ViewNo,
        &VideoSet::ChannelNo,
        &VideoSet::PictureType,
        &VideoSet::PicQuality,
        &VideoSet::Luminance,
        &VideoSet::TimerNum,
        &VideoSet::VideoEnb,
        &About_Info::Apellation,
        &About_Info::Telephone,
        &About_Info::WebSite,
        &About_Info::Fax,
        &About_Info::EMail,
    };
    return keys;
}

QString defaultIniText() {
    const QString eol = QStringLiteral("\r\n");
    QString out;
    QString current;
    auto open = [&](const QString& section) {
        if (!out.isEmpty()) out += eol;
        out += QLatin1Char('[') + section + QLatin1Char(']') + eol;
        current = section;
    };
    for (const Key* k : fileKeys()) {
        if (k->sectionName() != current) {
            // [Ports] sits after [Comm], which it belongs with.
            if (current == QLatin1String(section::Comm)) {
                open(QString::fromLatin1(section::Ports));
                out += QStringLiteral(
                           "; COMn=device, e.g. COM1=/dev/ttyUSB0; without one COMn is /dev/ttyS<n-1>") +
                       eol;
            }
            open(k->sectionName());
        }
        const TimeSetting* t = findTimeSetting(k->keyName());
        const QString value = t && t->key == k ? fmt::time(t->defaultTime()) : k->defaultValue();
        out += k->keyName() + QLatin1Char('=') + value + eol;
    }
    return out;
}

} // namespace settings
