#include "persons/frmAngaben.h"

#include "db/Segments.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kavio {

namespace {

// A group of three exclusive options; the one at index `checked` is ticked.
QGroupBox *optionGroup(const QString &title, const QString &name, const std::array<const char *, 3> &names,
                       const std::array<const char *, 3> &captions, int checked, std::array<QRadioButton *, 3> &out)
{
    auto *box = new QGroupBox(title);
    box->setObjectName(name);
    auto *row = new QHBoxLayout(box);
    for (size_t i = 0; i < out.size(); ++i) {
        out[i] = new QRadioButton(QString::fromUtf8(captions[i]), box);
        out[i]->setObjectName(QLatin1String(names[i]));
        out[i]->setChecked(int(i) == checked);
        row->addWidget(out[i]);
    }
    // Each option only as wide as its caption: a click beside it would change nothing.
    row->addStretch();
    return box;
}

template <typename Enum, size_t N> Enum tickedOf(const std::array<QRadioButton *, N> &options, Enum fallback)
{
    for (size_t i = 0; i < N; ++i)
        if (options[i]->isChecked())
            return static_cast<Enum>(i);
    return fallback;
}

} // namespace

frmAngaben::frmAngaben(const QString &personName, const clinical::PersonFacts &facts, Save save, QWidget *parent)
    : QDialog(parent), m_save(std::move(save))
{
    setObjectName(QStringLiteral("frmAngaben"));
    setWindowTitle(QStringLiteral("Angaben zur Person: ") + personName);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(optionGroup(QStringLiteral("Dominante Hand"), QStringLiteral("fraHand"),
                                  {"optHandRechts", "optHandLinks", "optHandUnbekannt"},
                                  {"rechts", "links", "unbekannt"}, int(facts.dominantHand), m_hand));
    layout->addWidget(optionGroup(QStringLiteral("Geschlecht"), QStringLiteral("fraGeschlecht"),
                                  {"optMaennlich", "optWeiblich", "optGeschlechtUnbekannt"},
                                  {"männlich", "weiblich", "unbekannt"}, int(facts.sex), m_sex));

    auto *risk = new QGroupBox(QStringLiteral("Gefährdete Gliedmaßen"));
    risk->setObjectName(QStringLiteral("fraGefaehrdet"));
    auto *row = new QHBoxLayout(risk);
    for (const SegmentInfo &s : kSegments) {
        const auto i = static_cast<size_t>(s.storeIndex);
        m_atRisk[i] = new QCheckBox(QString::fromUtf8(s.caption), risk);
        m_atRisk[i]->setObjectName(QStringLiteral("chkGefaehrdet") + QLatin1String(s.fieldWord));
        m_atRisk[i]->setChecked(facts.atRisk[i]);
        row->addWidget(m_atRisk[i]);
    }
    row->addStretch();
    layout->addWidget(risk);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("Speichern"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("cmdSpeichern"));
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("cmdAbbrechen"));
    connect(buttons, &QDialogButtonBox::accepted, this, &frmAngaben::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmAngaben::reject);
    layout->addWidget(buttons);
}

clinical::PersonFacts frmAngaben::facts() const
{
    clinical::PersonFacts facts;
    facts.dominantHand = tickedOf(m_hand, clinical::Hand::Unknown);
    facts.sex = tickedOf(m_sex, clinical::Sex::Unknown);
    for (size_t i = 0; i < m_atRisk.size(); ++i)
        facts.atRisk[i] = m_atRisk[i]->isChecked();
    return facts;
}

void frmAngaben::accept()
{
    if (m_save(facts()))
        QDialog::accept();
}

} // namespace kavio
