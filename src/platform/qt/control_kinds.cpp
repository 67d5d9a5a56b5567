#include "platform/qt/control_kinds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "app/check_box.h"
#include "app/label.h"
#include "app/option_button.h"
#include "app/view/adapter_by_kind.h"
#include "app/view/control_relay.h"
#include "platform/qt/caption_label.h"
#include "platform/qt/click_relay.h"
#include "platform/qt/password_style.h"
#include "platform/qt/view_fonts.h"

namespace {

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

class FrameKind final : public ControlKindAdapter {
    QWidget* create(Control& control, QWidget* parent, const ControlRelay& relay) const override
    {
        auto* frame = new QGroupBox(parent);
        frame->installEventFilter(new ClickRelay(control, relay, frame));
        return frame;
    }
    void render(const Control& control, QWidget* widget) const override
    {
        static_cast<QGroupBox*>(widget)->setTitle(qs(control.caption()));
    }
};

class LabelKind final : public ControlKindAdapter {
    QWidget* create(Control& control, QWidget* parent, const ControlRelay& relay) const override
    {
        const auto& label = static_cast<const Label&>(control);
        auto* qlabel = new CaptionLabel(parent);
        qlabel->setFont(ViewFonts::fontFor(label.font()));
        if (label.font().underline)
            qlabel->setCursor(Qt::PointingHandCursor);
        qlabel->installEventFilter(new ClickRelay(control, relay, qlabel));
        return qlabel;
    }
    void render(const Control& control, QWidget* widget) const override
    {
        static_cast<QLabel*>(widget)->setText(qs(control.caption()));
    }
};

class TextBoxKind final : public ControlKindAdapter {
    QWidget* create(Control& control, QWidget* parent, const ControlRelay& relay) const override
    {
        auto& textBox = static_cast<TextBox&>(control);
        auto* edit = new QLineEdit(parent);
        if (textBox.passwordChar() != '\0') {
            auto* style = new PasswordStyle(textBox.passwordChar());
            style->setParent(edit);
            edit->setStyle(style);
            edit->setEchoMode(QLineEdit::Password);
        }
        QObject::connect(edit, &QLineEdit::textEdited, edit,
                         [relay, &textBox](const QString& text) { relay.typed(textBox, text.toStdString()); });
        return edit;
    }
    void render(const Control& control, QWidget* widget) const override
    {
        // Only a real difference is written back: rewriting what the
        // operator just typed would move the cursor.
        auto* edit = static_cast<QLineEdit*>(widget);
        const QString caption = qs(control.caption());
        if (edit->text() != caption)
            edit->setText(caption);
    }
};

class CommandButtonKind final : public ControlKindAdapter {
    QWidget* create(Control& control, QWidget* parent, const ControlRelay& relay) const override
    {
        auto* button = new QPushButton(parent);
        QObject::connect(button, &QPushButton::clicked, button, [relay, &control] { relay.click(control); });
        return button;
    }
    void render(const Control& control, QWidget* widget) const override
    {
        static_cast<QPushButton*>(widget)->setText(qs(control.caption()));
    }
};

// Whether the widget lists exactly the model's entries, in order.
bool sameEntries(const ComboBox& combo, const QComboBox& widget)
{
    const std::vector<std::string>& items = combo.items();
    if (static_cast<std::size_t>(widget.count()) != items.size())
        return false;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (widget.itemText(static_cast<int>(i)) != qs(items[i]))
            return false;
    }
    return true;
}

void renderCombo(const ComboBox& combo, QComboBox* widget)
{
    const QSignalBlocker block(widget);
    QLineEdit* edit = widget->lineEdit();
    const QString text = qs(combo.text());
    const bool textUnchanged = edit->text() == text;
    const int cursor = edit->cursorPosition();
    // The list is whatever the model holds, also the entries it had before
    // the widget was made (the settings file is read before the window).
    if (!sameEntries(combo, *widget)) {
        widget->clear();
        for (const std::string& item : combo.items())
            widget->addItem(qs(item));
    }
    const int index = static_cast<int>(combo.listIndex());
    if (widget->currentIndex() != index)
        widget->setCurrentIndex(index);
    if (edit->text() != text) {
        edit->setText(text);
        if (textUnchanged)
            edit->setCursorPosition(cursor);
    }
}

class ComboBoxKind final : public ControlKindAdapter {
    QWidget* create(Control& control, QWidget* parent, const ControlRelay& relay) const override
    {
        auto& combo = static_cast<ComboBox&>(control);
        auto* box = new QComboBox(parent);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setCompleter(nullptr);
        QObject::connect(box->lineEdit(), &QLineEdit::textEdited, box,
                         [relay, &combo](const QString& text) { relay.typed(combo, text.toStdString()); });
        QObject::connect(box, &QComboBox::activated, box, [relay, &combo](int index) { relay.chosen(combo, index); });
        QPointer<QComboBox> target(box);
        combo.itemsChanged.connect([target, &combo] {
            if (target)
                renderCombo(combo, target);
        });
        return box;
    }
    void render(const Control& control, QWidget* widget) const override
    {
        renderCombo(static_cast<const ComboBox&>(control), static_cast<QComboBox*>(widget));
    }
};

class OptionButtonKind final : public ControlKindAdapter {
    QWidget* create(Control& control, QWidget* parent, const ControlRelay& relay) const override
    {
        auto* radio = new QRadioButton(parent);
        // The model keeps the group exclusive, and lets it have no choice at all.
        radio->setAutoExclusive(false);
        QObject::connect(radio, &QRadioButton::clicked, radio, [relay, &control] { relay.clickAndRender(control); });
        return radio;
    }
    void render(const Control& control, QWidget* widget) const override
    {
        auto* radio = static_cast<QRadioButton*>(widget);
        radio->setText(qs(control.caption()));
        radio->setChecked(static_cast<const OptionButton&>(control).value());
    }
};

class CheckBoxKind final : public ControlKindAdapter {
    QWidget* create(Control& control, QWidget* parent, const ControlRelay& relay) const override
    {
        auto* check = new QCheckBox(parent);
        QObject::connect(check, &QCheckBox::clicked, check, [relay, &control] { relay.clickAndRender(control); });
        return check;
    }
    void render(const Control& control, QWidget* widget) const override
    {
        auto* check = static_cast<QCheckBox*>(widget);
        check->setText(qs(control.caption()));
        check->setCheckState(checkState(static_cast<const CheckBox&>(control).value()));
    }

    static Qt::CheckState checkState(int value)
    {
        switch (value) {
        case 1:
            return Qt::Checked;
        case 2:
            return Qt::PartiallyChecked;
        default:
            return Qt::Unchecked;
        }
    }
};

} // namespace

const ControlKindAdapter& adapterFor(ControlKind kind)
{
    return adapterByKind<ControlKindAdapter, FrameKind, LabelKind, TextBoxKind, CommandButtonKind, ComboBoxKind,
                         OptionButtonKind, CheckBoxKind>(kind);
}
