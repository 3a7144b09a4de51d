// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/settings/RVXSettingViewController.h"

#include "core/support/RVXLocalizedString.h"
#include "widgets/RVXPageHelpers.h"
#include "widgets/TKRadioMatrix.h"
#include "widgets/TKSegmentedControl.h"
#include "widgets/TKStepper.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

namespace {

using Kind = RVXPageControl::Kind;

// The form carries string-table keys as its texts, so that Designer shows which text
// goes where; they are looked up when the page is made.
void localiseTexts(QWidget* view) {
    const auto lookup = [](const QString& text) {
        const QString found = RVXLocalizedString(text.toUtf8().constData());
        return found.isEmpty() ? text : found;
    };
    for (QGroupBox* box : view->findChildren<QGroupBox*>())
        box->setTitle(lookup(box->title()));
    for (QLabel* label : view->findChildren<QLabel*>())
        label->setText(lookup(label->text()));
    for (QAbstractButton* button : view->findChildren<QAbstractButton*>()) {
        if (!button->text().isEmpty())
            button->setText(lookup(button->text()));
    }
}

QStringList comboItems(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

} // namespace

RVXSettingViewController::RVXSettingViewController(std::unique_ptr<RVXSettingPage> logic,
                                                   QWidget* parent)
    : QWidget(parent)
    , m_logic(std::move(logic)) {}

RVXSettingViewController::~RVXSettingViewController() = default;

void RVXSettingViewController::bindControls(const QStringList& selfBound) {
    localiseTexts(this);
    for (QComboBox* combo : findChildren<QComboBox*>()) {
        combo->setFocusPolicy(Qt::StrongFocus);
        combo->installEventFilter(this);
    }
    for (const RVXPageControl& c : m_logic->controls()) {
        const QString name = c.name;
        if (selfBound.contains(name))
            continue;
        QWidget* widget = findChild<QWidget*>(name);
        if (!widget) {
            qWarning("settings page %s: the form has no control %s",
                     qPrintable(m_logic->pageName()), qPrintable(name));
            continue;
        }
        if (auto* segments = qobject_cast<TKSegmentedControl*>(widget)) {
            setSegmentLabels(segments, c.labels);
            connect(segments, &TKSegmentedControl::segmentClicked, this,
                    [this, name](int i) { userChanged(name, QString::number(i)); });
        } else if (auto* matrix = qobject_cast<TKRadioMatrix*>(widget)) {
            matrix->setCellCount(int(c.labels.size()));
            setMatrixTitles(matrix->cells(), c.labels);
            connect(matrix, &TKRadioMatrix::cellClicked, this,
                    [this, name](int i) { userChanged(name, QString::number(i)); });
        } else if (auto* stepper = qobject_cast<TKStepper*>(widget)) {
            connect(stepper, &TKStepper::stepped, this,
                    [this, name](int steps) { userChanged(name, QString::number(steps)); });
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            setComboItems(combo, c.labels);
            connect(combo, &QComboBox::activated, this,
                    [this, name](int i) { userChanged(name, QString::number(i)); });
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            if (!c.labels.isEmpty())
                button->setText(c.labels.first());
            connect(button, &QAbstractButton::clicked, this, [this, name](bool checked) {
                userChanged(name, checked ? QStringLiteral("1") : QStringLiteral("0"));
            });
        } else if (auto* field = qobject_cast<QLineEdit*>(widget)) {
            connect(field, &QLineEdit::editingFinished, this,
                    [this, name, field] { userChanged(name, field->text()); });
        }
    }
}

bool RVXSettingViewController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        if (auto* combo = qobject_cast<QComboBox*>(watched); combo && !combo->hasFocus()) {
            // The page scrolls instead, as if the combo box were not there.
            if (QWidget* parent = combo->parentWidget())
                QCoreApplication::sendEvent(parent, event);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void RVXSettingViewController::refresh() {
    if (!m_logic)
        return;
    m_refreshing = true;
    for (const RVXPageControl& c : m_logic->controls()) {
        QWidget* widget = findChild<QWidget*>(c.name);
        if (!widget)
            continue;
        widget->setEnabled(c.enabled);
        if (auto* segments = qobject_cast<TKSegmentedControl*>(widget)) {
            setSegmentLabels(segments, c.labels);
            segments->setSelectedSegment(c.index);
        } else if (auto* matrix = qobject_cast<TKRadioMatrix*>(widget)) {
            matrix->setSelectedCell(c.index);
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            if (comboItems(combo) != c.labels)
                setComboItems(combo, c.labels);
            combo->setCurrentIndex(c.index);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            button->setChecked(c.checked);
        } else if (auto* field = qobject_cast<QLineEdit*>(widget)) {
            field->setReadOnly(!c.editable);
            if (field->text() != c.text)
                field->setText(c.text);
        }
    }
    refreshSelfBound();
    m_refreshing = false;
}

void RVXSettingViewController::userChanged(const QString& name, const QString& value) {
    if (m_refreshing)
        return;
    const RVXPageControl* c = m_logic->control(name);
    // A field left without a change runs no action.
    if (c && c->kind == Kind::Text && c->text == value)
        return;
    m_logic->userSet(name, value);
    refresh();
    showWarnings();
}

void RVXSettingViewController::commitTexts() {
    for (const RVXPageControl& c : m_logic->controls()) {
        if (c.kind != Kind::Text || !c.enabled || !c.editable)
            continue;
        if (auto* field = findChild<QLineEdit*>(c.name); field && field->text() != c.text)
            m_logic->userSet(c.name, field->text());
    }
    refresh();
}

void RVXSettingViewController::showWarnings() {
    for (const QString& warning : m_logic->takeWarnings())
        showAlert(window(), QStringLiteral("Warning"), warning);
}

void RVXSettingViewController::setFileData(_FILEDATA* fileData) {
    m_logic->setFileData(fileData);
    refresh();
}

std::optional<QString> RVXSettingViewController::validateUserInput() {
    commitTexts();
    const auto failure = m_logic->validateUserInput();
    if (!failure)
        return std::nullopt;
    if (QWidget* field = findChild<QWidget*>(failure->control)) {
        QTimer::singleShot(0, field, [field] {
            field->setFocus(Qt::OtherFocusReason);
            if (auto* edit = qobject_cast<QLineEdit*>(field))
                edit->selectAll();
        });
    }
    return failure->message;
}

bool RVXSettingViewController::populate() {
    commitTexts();
    const bool stored = m_logic->populate();
    showWarnings();
    return stored;
}
