#include "desk/ui/DBNavigator.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace {

struct ButtonInfo {
    DBNavigator::Button button;
    const char* name;
    const char* glyph;
    const char* hint;
};

const ButtonInfo kButtons[] = {
    {DBNavigator::Button::First, "first", "|◀", "第一条"},
    {DBNavigator::Button::Prior, "prior", "◀", "上一条"},
    {DBNavigator::Button::Next, "next", "▶", "下一条"},
    {DBNavigator::Button::Last, "last", "▶|", "最后一条"},
    {DBNavigator::Button::Insert, "insert", "+", "增加"},
    {DBNavigator::Button::Delete, "delete", "−", "删除"},
    {DBNavigator::Button::Post, "post", "✓", "保存"},
    {DBNavigator::Button::Cancel, "cancel", "✗", "取消"},
};

const ButtonInfo* infoOf(DBNavigator::Button b) {
    for (const auto& i : kButtons)
        if (i.button == b) return &i;
    return nullptr;
}

} // namespace

DBNavigator::DBNavigator(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    setButtons(QStringLiteral("first,prior,next,last,insert,delete,post,cancel"));
}

QString DBNavigator::nameOf(Button b) {
    return QString::fromLatin1(infoOf(b)->name);
}

QString DBNavigator::buttons() const {
    QStringList names;
    for (Button b : shown_)
        names << nameOf(b);
    return names.join(QLatin1Char(','));
}

void DBNavigator::setButtons(const QString& names) {
    qDeleteAll(tools_);
    tools_.clear();
    shown_.clear();
    for (const QString& raw : names.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = raw.trimmed().toLower();
        for (const auto& info : kButtons) {
            if (name != QLatin1String(info.name) || shown_.contains(info.button)) continue;
            auto* tool = new QToolButton(this);
            tool->setObjectName(objectName() + QLatin1Char('_') + name);
            tool->setText(QString::fromUtf8(info.glyph));
            tool->setToolTip(QString::fromUtf8(info.hint));
            tool->setAutoRaise(true);
            tool->setMinimumWidth(26);
            const Button b = info.button;
            connect(tool, &QToolButton::clicked, this, [this, b] { emit clicked(b); });
            layout()->addWidget(tool);
            shown_ << b;
            tools_ << tool;
        }
    }
}

QList<DBNavigator::Button> DBNavigator::visibleButtons() const {
    return shown_;
}

QToolButton* DBNavigator::button(Button b) const {
    const auto i = shown_.indexOf(b);
    return i < 0 ? nullptr : tools_.at(i);
}

void DBNavigator::click(Button b) {
    if (auto* tool = button(b)) tool->click();
}
