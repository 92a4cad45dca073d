#include "AddressBarForm.h"

#include "MainTabsForm.h"

#include "app/Prefs.h"
#include "services/MediaService.h"
#include "services/MediaServices.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace {

QPushButton* navButton(
    const QString& name, const QString& icon, const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setFlat(true);
    button->setIcon(QIcon(QStringLiteral(":/images/resources/images/") + icon));
    button->setIconSize(QSize(30, 30));
    button->setToolTip(text);
    button->setAccessibleName(text);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

AddressBarForm::AddressBarForm(MainTabsForm* tabs, QWidget* parent)
    : QWidget(parent)
    , m_tabs(tabs)
{
    setObjectName(QStringLiteral("AddressBarForm"));
    resize(622, 47);
    m_backButton = navButton(
        QStringLiteral("backButton"), QStringLiteral("browse-back.png"), tr("Back"), this);
    m_forwardButton = navButton(
        QStringLiteral("forwardButton"), QStringLiteral("browse-forward.png"), tr("Forward"), this);
    m_input = new QLineEdit(this);
    m_input->setObjectName(QStringLiteral("searchInput"));
    m_input->setMinimumSize(300, 24);
    m_input->setStyleSheet(QStringLiteral("padding-left:3px;\nfont-size: 12px;"));
    m_input->setPlaceholderText(tr("Address or search keywords"));
    m_input->setAccessibleName(tr("Address or search keywords"));
    m_servicesButton = new QToolButton(this);
    m_servicesButton->setObjectName(QStringLiteral("servicesButton"));
    m_servicesButton->setFixedHeight(24);
    m_servicesButton->setIcon(
        QIcon(QStringLiteral(":/images/resources/images/smallSearchIconBW.png")));
    m_servicesButton->setText(tr("Services"));
    m_servicesButton->setToolTip(tr("Services searched for plain words"));
    m_servicesButton->setAccessibleName(tr("Services searched"));
    m_servicesButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_servicesButton->setPopupMode(QToolButton::InstantPopup);
    m_servicesMenu = new QMenu(m_servicesButton);
    m_servicesMenu->setObjectName(QStringLiteral("servicesMenu"));
    m_servicesButton->setMenu(m_servicesMenu);

    auto* layout = new QHBoxLayout(this);
    layout->setObjectName(QStringLiteral("horizontalLayout"));
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(m_backButton);
    layout->addWidget(m_forwardButton);
    layout->addWidget(m_input, 1);
    layout->addWidget(m_servicesButton);

    connect(m_backButton, &QPushButton::clicked, this, &AddressBarForm::on_backButton_clicked);
    connect(
        m_forwardButton, &QPushButton::clicked, this, &AddressBarForm::on_forwardButton_clicked);
    connect(
        m_input, &QLineEdit::returnPressed, this, qOverload<>(&AddressBarForm::submitTextInput));
    updateNavButtons();
}

void AddressBarForm::setServices(MediaServices* services)
{
    m_services = services;
}

QStringList AddressBarForm::selectedServices() const
{
    QStringList names;
    for (auto it = m_serviceActions.cbegin(); it != m_serviceActions.cend(); ++it) {
        if (it.value()->isChecked())
            names.append(it.key());
    }
    return names;
}

void AddressBarForm::submitTextInput()
{
    submitTextInput(m_input->text().trimmed(), {}, {});
}

void AddressBarForm::submitTextInput(
    const QString& text, const ExtraUrlData& extra, const QString& title, int viewMode, bool newTab)
{
    if (text.isEmpty() && !newTab)
        return;
    const QString query = text.trimmed();
    if (!query.isEmpty())
        emit pageLoadStatusChanged(0);
    if (!newTab)
        m_input->setText(query);
    SearchParams params(query);
    params.setTitle(title);
    params.setExtraFirst(extra.first);
    params.setExtraSecond(extra.second);
    makePage(params, viewMode, newTab);
    emit signalTextInputChanged();
    m_input->clearFocus();
}

void AddressBarForm::makePage(const SearchParams& params, int viewMode, bool newTab)
{
    const quint64 submission = newTab ? 0 : ++m_replacement;
    if (params.query().isEmpty()) {
        deliverPage(PageDescriptor {}, params, viewMode, newTab);
        return;
    }
    if (!m_services) {
        fail(tr("The services are not loaded yet"));
        return;
    }
    auto* watcher = new QFutureWatcher<std::optional<PageDescriptor>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this,
        [this, watcher, submission, params, viewMode, newTab] {
            watcher->deleteLater();
            const bool superseded = !newTab && submission != m_replacement;
            if (!superseded && !watcher->isCanceled())
                deliverPage(watcher->result(), params, viewMode, newTab);
        });
    watcher->setFuture(m_services->createPageDataAsync(params.query()));
}

void AddressBarForm::deliverPage(const std::optional<PageDescriptor>& descriptor,
    const SearchParams& params, int viewMode, bool newTab)
{
    if (!descriptor) {
        fail(tr("The URL is not supported"));
        return;
    }
    m_errorText.clear();
    emit pageInstanceReady(
        PageData::create(*descriptor, params, m_services, selectedServices()), viewMode, newTab);
    // The page shows its own progress from here on.
    emit pageLoadStatusChanged(1);
}

void AddressBarForm::fail(const QString& text)
{
    m_errorText = text;
    emit pageLoadStatusChanged(2);
    emit errorOccurred(text);
}

void AddressBarForm::updateNavButtons()
{
    const NavigationHistory* history = m_tabs->currentHistory();
    m_backButton->setEnabled(history && history->canGoBack());
    m_forwardButton->setEnabled(history && history->canGoForward());
}

void AddressBarForm::on_backButton_clicked()
{
    NavigationHistory* history = m_tabs->currentHistory();
    if (history && history->canGoBack()) {
        const NavigationEntry entry = history->back();
        submitTextInput(entry.address, {}, entry.title, entry.viewMode, false);
    }
}

void AddressBarForm::on_forwardButton_clicked()
{
    NavigationHistory* history = m_tabs->currentHistory();
    if (history && history->canGoForward()) {
        const NavigationEntry entry = history->forward();
        submitTextInput(entry.address, {}, entry.title, entry.viewMode, false);
    }
}

void AddressBarForm::addService(const QString& serviceName)
{
    if (m_serviceActions.contains(serviceName))
        return;
    auto* action = new QAction(serviceName, m_servicesMenu);
    action->setCheckable(true);
    action->setChecked(Prefs::searchableServiceNames().contains(serviceName));
    m_servicesMenu->addAction(action);
    m_serviceActions.insert(serviceName, action);
    connect(action, &QAction::triggered, this, &AddressBarForm::onServiceSelectionChanged);
}

void AddressBarForm::onMediaServiceAddedAfterLaunch(MediaService* service)
{
    if (service && service->supportsSearch())
        addService(service->serviceName());
}

// At least one service stays checked: the only checked entry cannot be unchecked.
void AddressBarForm::onServiceSelectionChanged()
{
    //: No media services selected in address bar
    QString label = tr("None");
    QList<QAction*> checked;
    for (QAction* action : std::as_const(m_serviceActions)) {
        action->setEnabled(true);
        if (action->isChecked()) {
            checked.append(action);
            label = action->text();
        }
    }
    if (checked.size() == 1)
        checked.constFirst()->setEnabled(false);
    else if (checked.size() > 1)
        label = tr("Multiple");
    m_servicesButton->setText(label);
    Prefs::setSearchableServiceNames(selectedServices());
}

void AddressBarForm::handleClipboardAddress()
{
    const QString text = QApplication::clipboard()->text().trimmed();
    if (text.isEmpty() || !m_services || !m_services->isSupportedAddress(text))
        return;
    m_input->setText(text);
    submitTextInput(text, {}, {});
}

void AddressBarForm::setText(const QString& text)
{
    m_input->setText(text);
}

void AddressBarForm::focusInputSoon()
{
    QTimer::singleShot(5, m_input, [input = m_input] { input->setFocus(); });
}
