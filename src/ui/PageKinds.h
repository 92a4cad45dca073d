#pragma once

#include "PageData.h"

// The five kinds of page. Each is small: they differ only in their title and in the feeds
// that load() sets up.

// A blank tab ("Untitled"); the first run shows its welcome form here.
class EmptyPageData : public PageData
{
    Q_OBJECT
public:
    EmptyPageData(const PageDescriptor& descriptor, const SearchParams& params, QObject* parent);
    void load() override { }
};

// A user's page: the user is read first, then one feed per kind the service offers.
class UserPageData : public PageData
{
    Q_OBJECT
public:
    UserPageData(const PageDescriptor& descriptor, const SearchParams& params,
        const MediaServices* services, QObject* parent);
    UserDataFetcher* userFetcher() const override { return m_userFetcher; }
    void load() override;

private slots:
    void onUserDataReady();

private:
    UserDataFetcher* m_userFetcher = nullptr;
};

// One media item with its related media and, when the address names one, its playlist.
class MediaPageData : public PageData
{
    Q_OBJECT
public:
    MediaPageData(const PageDescriptor& descriptor, const SearchParams& params,
        const MediaServices* services, QObject* parent);
    MediaDataFetcher* mediaFetcher() const override { return m_mediaFetcher; }
    void load() override;

private:
    MediaDataFetcher* m_mediaFetcher = nullptr;
};

class PlaylistPageData : public PageData
{
    Q_OBJECT
public:
    PlaylistPageData(const PageDescriptor& descriptor, const SearchParams& params,
        const MediaServices* services, QObject* parent);
    void load() override;
};

// Search results: one feed per selected service for plain words, or the one service whose
// search address was given.
class SearchPageData : public PageData
{
    Q_OBJECT
public:
    SearchPageData(const PageDescriptor& descriptor, const SearchParams& params,
        const MediaServices* services, const QStringList& searchServices, QObject* parent);
    void load() override;

private:
    QStringList m_searchServices;
};
