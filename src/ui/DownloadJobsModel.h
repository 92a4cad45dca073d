#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QSet>
#include <QTimer>

class DownloadList;
class ProcessingElement;

// The jobs of a download list as a table, newest first: title, state, progress, size and error.
// Jobs report progress many times a second; their rows are refreshed together a few times a
// second instead.
class DownloadJobsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { TitleColumn, StateColumn, ProgressColumn, SizeColumn, ErrorColumn, ColumnCount };

    explicit DownloadJobsModel(DownloadList* list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    ProcessingElement* job(int row) const;
    int rowOf(const ProcessingElement* job) const;
    DownloadList* list() const { return m_list; }

    // "12.34 MB"; empty while the size is not known.
    static QString sizeText(const ProcessingElement& job);

private slots:
    void addJob(ProcessingElement* job);
    void removeJob(ProcessingElement* job);
    void refreshChangedRows();

private:
    void watch(ProcessingElement* job);
    void markChanged(ProcessingElement* job);

    DownloadList* m_list;
    QList<ProcessingElement*> m_jobs;
    QSet<ProcessingElement*> m_changed;
    QTimer m_refresh;
};
