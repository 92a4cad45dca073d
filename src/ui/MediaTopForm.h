#pragma once

#include "app/MediaDescriptor.h"
#include "services/MediaItem.h"

#include <QWidget>

#include <functional>

class QAction;
class QMenu;
class QPushButton;

// The head of a media page: the item's title and uploader with a download button and a menu
// to download as audio or video or copy the page's address. Until the detailed header with
// picture and description is there, this is how a media page's own item is downloaded.
class MediaTopForm : public QWidget
{
    Q_OBJECT
public:
    explicit MediaTopForm(const MediaItem& item, QWidget* parent = nullptr);

    QPushButton* downloadButton() const { return m_download; }
    QMenu* contextMenu() const { return m_menu; }

signals:
    void downloadRequested(const MediaItem& item, MediaDescriptor::MediaType type);

private:
    QAction* addMenuAction(
        const QString& name, const QString& text, const std::function<void()>& run);

    MediaItem m_item;
    QPushButton* m_download;
    QMenu* m_menu;
};
