<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- The English texts of the string table "InfoPlist", looked up by key. -->
<TS version="2.1" language="en">
<context>
    <name></name>
    <message id="msg.file_open_fail">
        <source>msg.file_open_fail</source>
        <translation>The file could not be opened for writing.</translation>
    </message>
    <message id="msg.saved">
        <source>msg.saved</source>
        <translation>The settings were saved.</translation>
    </message>
    <message id="msg.input_value_invalid_format">
        <source>msg.input_value_invalid_format</source>
        <translation>Enter a number, such as 0.5.</translation>
    </message>
    <message id="msg.gsensor_outofrange_fmt">
        <source>msg.gsensor_outofrange_fmt</source>
        <translation>Enter a value from %1 to %2.</translation>
    </message>
    <message id="msg.sdcard_ratio_too_low">
        <source>msg.sdcard_ratio_too_low</source>
        <translation>Each share of the card must be at least 10 %.</translation>
    </message>
    <message id="setting.flashdata.index">
        <source>setting.flashdata.index</source>
        <translation>No.</translation>
    </message>
    <message id="setting.flashdata.seq">
        <source>setting.flashdata.seq</source>
        <translation>Seq.</translation>
    </message>
    <message id="setting.flashdata.date">
        <source>setting.flashdata.date</source>
        <translation>Date</translation>
    </message>
    <message id="setting.flashdata.time">
        <source>setting.flashdata.time</source>
        <translation>Time</translation>
    </message>
    <message id="setting.flashdata.yoil">
        <source>setting.flashdata.yoil</source>
        <translation>Day</translation>
    </message>
    <message id="setting.flashdata.lat">
        <source>setting.flashdata.lat</source>
        <translation>Latitude</translation>
    </message>
    <message id="setting.flashdata.lon">
        <source>setting.flashdata.lon</source>
        <translation>Longitude</translation>
    </message>
    <message id="setting.flashdata.driving_distance">
        <source>setting.flashdata.driving_distance</source>
        <translation>Distance</translation>
    </message>
    <message id="setting.flashdata.cur_speed">
        <source>setting.flashdata.cur_speed</source>
        <translation>Speed</translation>
    </message>
    <message id="setting.flashdata.max_speed">
        <source>setting.flashdata.max_speed</source>
        <translation>Max. speed</translation>
    </message>
    <message id="setting.flashdata.value">
        <source>setting.flashdata.value</source>
        <translation>Fix</translation>
    </message>
    <message id="setting.flashdata.battery">
        <source>setting.flashdata.battery</source>
        <translation>Battery</translation>
    </message>
</context>
</TS>
