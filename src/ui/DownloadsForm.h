#pragma once

#include <QWidget>

class DownloadJobsModel;
class DownloadList;
class ProcessingElement;
class QAction;
class QMenu;
class QPushButton;
class QListView;

// The downloads page: the jobs of the download list, newest first, one painted row each, with
// buttons to clean up, remove and pause or resume the queue, and a context menu per row.
class DownloadsForm : public QWidget
{
    Q_OBJECT
public:
    explicit DownloadsForm(DownloadList* list, QWidget* parent = nullptr);

    DownloadJobsModel* model() const { return m_model; }
    QListView* view() const { return m_view; }
    QMenu* contextMenu() const { return m_menu; }
    // Enables the context actions for the job of this row and makes it current.
    void prepareMenuFor(int row);

public slots:
    void cancelCurrent();
    void removeSelected();
    void openCurrent();
    void showCurrent();
    void copyCurrentAddress();
    void downloadCurrentAgain();
    void cleanUp();
    void togglePause();
    // Holds or lets go of the current job alone.
    void togglePauseCurrent();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void onContextMenuRequested(const QPoint& position);
    void updateButtons();

private:
    QPushButton* addButton(
        const QString& name, const QString& icon, const QString& text, const QString& toolTip);
    QAction* addMenuAction(const QString& name, const QString& text);
    ProcessingElement* currentJob() const;

    DownloadList* m_list;
    DownloadJobsModel* m_model;
    QListView* m_view;
    QMenu* m_menu;
    QPushButton* m_cleanButton = nullptr;
    QPushButton* m_removeButton = nullptr;
    QPushButton* m_pauseResumeButton = nullptr;
    QAction* m_cancelAction = nullptr;
    QAction* m_removeAction = nullptr;
    QAction* m_openAction = nullptr;
    QAction* m_showAction = nullptr;
    QAction* m_copyAction = nullptr;
    QAction* m_againAction = nullptr;
    QAction* m_pauseJobAction = nullptr;
};
