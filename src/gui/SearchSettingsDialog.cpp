#include "gui/SearchSettingsDialog.h"

#include "keywords/KeywordSource.h"
#include "keywords/SearchSettings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// A field with a label that names it for the keyboard (Alt+letter) and for screen readers.
template <typename Field> Field* labelled(QFormLayout* form, const QString& caption, Field* field)
{
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    field->setAccessibleName(QString(caption).remove(u'&').remove(QStringLiteral("：")));
    form->addRow(label, field);
    return field;
}

} // namespace

SearchSettingsDialog::SearchSettingsDialog(const SearchSettings& settings, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SearchSettings"));
    setWindowTitle(QStringLiteral("搜索设置"));
    auto* layout = new QVBoxLayout(this);

    auto* sources = new QGroupBox(QStringLiteral("来源（都不选时按“一级/二级”）"), this);
    auto* sourceList = new QVBoxLayout(sources);
    for (const KeywordSource& source : KeywordSource::all()) {
        auto* box = new QCheckBox(source.caption + QStringLiteral("  ") + source.name, sources);
        box->setObjectName(u"source_" + source.name);
        box->setProperty("source", source.name);
        box->setChecked(settings.sources.contains(source.name));
        sourceList->addWidget(box);
        m_sources.append(box);
    }
    layout->addWidget(sources);

    // What a suggestion source asks after each seed; result pages are asked the seed alone.
    auto* expand = new QGroupBox(QStringLiteral("扩展（联想词来源在每个词后再搜）"), this);
    auto* expandList = new QHBoxLayout(expand);
    const QStringList captions{QStringLiteral("字母 a–z(&A)"), QStringLiteral("数字 0–9(&N)"),
                               QStringLiteral("疑问词(&W)")};
    for (qsizetype i = 0; i < captions.size(); ++i) {
        const QString& kind = SearchSettings::expandKinds()[i];
        auto* box = new QCheckBox(captions[i], expand);
        box->setObjectName(u"expand_" + kind);
        box->setProperty("expand", kind);
        box->setChecked(settings.expand.contains(kind));
        expandList->addWidget(box);
        m_expand.append(box);
    }
    m_expand.last()->setToolTip(settings.expandWords.join(u"、"));
    layout->addWidget(expand);

    auto* form = new QFormLayout;
    m_afterSeed = labelled(form, QStringLiteral("每个词后休息(&R)："), new QDoubleSpinBox(this));
    m_afterSeed->setObjectName(QStringLiteral("afterSeed"));
    m_afterSeed->setRange(1, 3600);
    m_afterSeed->setDecimals(1);
    m_afterSeed->setSuffix(QStringLiteral(" 秒"));
    m_afterSeed->setValue(double(settings.afterSeed.count()) / 1000);
    m_skipAsked = new QCheckBox(QStringLiteral("每个词只搜一次(&O)"), this);
    m_skipAsked->setObjectName(QStringLiteral("skipAsked"));
    m_skipAsked->setChecked(settings.skipAsked);
    form->addRow(m_skipAsked);
    m_depth = labelled(form, QStringLiteral("搜索深度(&D)："), new QSpinBox(this));
    m_depth->setObjectName(QStringLiteral("depth"));
    m_depth->setRange(0, 1000);
    m_depth->setSpecialValueText(QStringLiteral("不限"));
    m_depth->setToolTip(QStringLiteral("第 N 轮或以后找到的词不再拿来搜索；0 为不限"));
    m_depth->setValue(settings.depth);
    m_exclude = labelled(form, QStringLiteral("排除含有(&X)："), new QLineEdit(settings.exclude.join(u'|'), this));
    m_exclude->setObjectName(QStringLiteral("exclude"));
    m_exclude->setPlaceholderText(QStringLiteral("词之间用 | 分开，如 招聘|二手"));
    m_include = labelled(form, QStringLiteral("只要含有(&I)："), new QLineEdit(settings.include.join(u'|'), this));
    m_include->setObjectName(QStringLiteral("include"));
    m_include->setPlaceholderText(QStringLiteral("词之间用 | 分开；*seed* 表示它的来源词"));
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void SearchSettingsDialog::apply(SearchSettings& settings) const
{
    settings.sources.clear();
    for (const QCheckBox* box : m_sources) {
        if (box->isChecked())
            settings.sources.append(box->property("source").toString());
    }
    settings.expand.clear();
    for (const QCheckBox* box : m_expand) {
        if (box->isChecked())
            settings.expand.append(box->property("expand").toString());
    }
    settings.afterSeed = std::chrono::milliseconds(qint64(m_afterSeed->value() * 1000));
    settings.skipAsked = m_skipAsked->isChecked();
    settings.depth = m_depth->value();
    settings.exclude = m_exclude->text().split(u'|', Qt::SkipEmptyParts);
    settings.include = m_include->text().split(u'|', Qt::SkipEmptyParts);
}
