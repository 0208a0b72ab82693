#pragma once

#include "clinical/PersonFacts.h"

#include <array>
#include <functional>
#include <QDialog>

class QCheckBox;
class QRadioButton;

namespace kavio {

// What the evaluation needs to know about a person: dominant hand, sex and the limbs at
// risk. The dialog only edits; saving is the caller's: save returns false when the facts
// were not stored (it has told the operator why), and the dialog then stays open with
// what was entered.
class frmAngaben final : public QDialog {
    Q_OBJECT
public:
    using Save = std::function<bool(const clinical::PersonFacts &)>;

    frmAngaben(const QString &personName, const clinical::PersonFacts &facts, Save save, QWidget *parent = nullptr);

    clinical::PersonFacts facts() const;

    void accept() override;

private:
    std::array<QRadioButton *, 3> m_hand{}; // in the order of clinical::Hand
    std::array<QRadioButton *, 3> m_sex{};  // in the order of clinical::Sex
    std::array<QCheckBox *, 4> m_atRisk{};  // in the order of kSegments
    Save m_save;
};

} // namespace kavio
