#include "app/view/window_presenter.h"

#include "app/form1.h"

WindowPresenter::WindowPresenter(Form1& form, NativeWindow& native)
    : m_form(form)
    , m_native(native)
    , m_self(std::make_shared<WindowPresenter*>(this))
{
    std::weak_ptr<WindowPresenter*> self = m_self;
    m_form.windowChanged.connect([self] {
        if (const auto presenter = self.lock())
            (*presenter)->render();
    });
    render();
}

WindowPresenter::~WindowPresenter()
{
    m_self.reset();
}

void WindowPresenter::start()
{
    centre();
    m_started = true;
    render();
}

void WindowPresenter::centre()
{
    if (const std::optional<NativeWindow::Sizes> sizes = m_native.sizes()) {
        const TwipsPoint centred = centredOn(sizes->screen, sizes->outer);
        m_form.Move(centred.left, centred.top);
    }
}

bool WindowPresenter::atModelPosition() const
{
    return m_position == TwipsPoint{m_form.left(), m_form.top()};
}

void WindowPresenter::renderIconAgain()
{
    m_icon.reset();
    render();
}

void WindowPresenter::render()
{
    m_native.setTitle(m_form.caption());
    if (m_icon != m_form.icon()) {
        m_icon = m_form.icon();
        m_native.setIcon(*m_icon);
    }

    const bool inTaskbar = m_form.showInTaskbar();
    if (m_inTaskbar != inTaskbar) {
        m_inTaskbar = inTaskbar;
        // The window is shown again as it was.
        if (m_native.setTaskbarEntry(inTaskbar))
            renderShownState();
    }

    const TwipsPoint position{m_form.left(), m_form.top()};
    if (m_position != position) {
        m_position = position;
        m_native.moveTo(position);
    }

    const ShownState shown{m_form.visible(), m_form.minimized()};
    if (m_started && m_shownState != shown) {
        m_shownState = shown;
        renderShownState();
    }
}

void WindowPresenter::renderShownState()
{
    if (!m_form.visible())
        m_native.hide();
    else if (m_form.minimized())
        m_native.minimise();
    else
        m_native.showInFront();
}
