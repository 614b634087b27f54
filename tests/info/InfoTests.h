#pragma once
// The map, link and About tests: the address builders and tile arithmetic (TestMapUrls), the map
// window against a server on 127.0.0.1 (TestMapWindow), and the About window (TestAbout).

#include <QObject>
#include <QTemporaryDir>
#include <memory>

class TestMapUrls : public QObject {
    Q_OBJECT
private slots:
    void addressText_data();
    void addressText();
    void requestAndItsParts();
    void zoomAndTypeRewriting();
    void lookupLinks();
    void serviceKeysFromIni();
    void tileOfPoint_data();
    void tileOfPoint();
    void tilesCoverView();
    void tileZoomAndAddress();
};

class TestMapWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void staticMapFollowsZoomAndType();
    void staticMapFailureIsShown_data();
    void staticMapFailureIsShown();
    void tilesWithoutKey();
    void tileZoomClampedAndGoReadsBox();
    void hybridUsesImageryOnlyWhenSet();
    void tileFailureAndNoPlace();

private:
    std::unique_ptr<QTemporaryDir> m_home;
};

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void windowsBuildTable_data();
    void windowsBuildTable();
    void systemNameIsDistribution();
    void creationTimeBeforeModification();
    void dataFiles_data();
    void dataFiles();
    void withoutApplicationIconKeepsCaptions();

private:
    std::unique_ptr<QTemporaryDir> m_home;
};
