<?xml version="1.0" encoding="UTF-8"?>
<tileset version="1.8" tiledversion="1.8.2" name="sheet.spr" tilewidth="40" tileheight="20" tilecount="5" columns="0" objectalignment="topleft">
  <tileoffset x="0" y="10" />
  <grid orientation="orthogonal" width="1" height="1" />
  <properties>
    <property name="sprite file" value="sheet.spr" />
    <property name="sprite id" type="int" value="100" />
    <property name="format" type="int" value="1" />
  </properties>
  <tile id="0">
    <properties>
      <property name="animation" type="int" value="0" />
      <property name="frame" type="int" value="0" />
      <property name="name" value="t0" />
      <property name="direction" type="int" value="0" />
      <property name="place" value="-20,0" />
      <property name="duration" type="int" value="100" />
      <property name="key" value="#FF00FF" />
      <property name="anchor" value="20,0" />
    </properties>
    <image width="40" height="20" source="0-sheet.spr/a0-0.png" />
  </tile>
  <tile id="1">
    <properties>
      <property name="animation" type="int" value="1" />
      <property name="frame" type="int" value="0" />
      <property name="name" value="t1" />
      <property name="direction" type="int" value="0" />
      <property name="place" value="-20,0" />
      <property name="duration" type="int" value="100" />
      <property name="key" value="#FF00FF" />
      <property name="anchor" value="20,0" />
    </properties>
    <image width="40" height="20" source="0-sheet.spr/a1-0.png" />
    <animation>
      <frame tileid="1" duration="100" />
      <frame tileid="2" duration="200" />
    </animation>
  </tile>
  <tile id="2">
    <properties>
      <property name="animation" type="int" value="1" />
      <property name="frame" type="int" value="1" />
      <property name="place" value="-20,0" />
      <property name="duration" type="int" value="200" />
      <property name="key" value="#FF00FF" />
      <property name="anchor" value="20,0" />
    </properties>
    <image width="40" height="20" source="0-sheet.spr/a1-1.png" />
  </tile>
  <tile id="3">
    <properties>
      <property name="animation" type="int" value="2" />
      <property name="frame" type="int" value="0" />
      <property name="name" value="t2" />
      <property name="direction" type="int" value="0" />
      <property name="place" value="-20,0" />
      <property name="duration" type="int" value="100" />
      <property name="key" value="#FF00FF" />
      <property name="flags" type="int" value="1" />
      <property name="anchor" value="20,0" />
    </properties>
    <image width="40" height="20" source="0-sheet.spr/a2-0.png" />
  </tile>
  <tile id="4">
    <properties>
      <property name="animation" type="int" value="3" />
      <property name="frame" type="int" value="0" />
      <property name="name" value="t3~1" />
      <property name="direction" type="int" value="0" />
      <property name="place" value="-20,0" />
      <property name="duration" type="int" value="100" />
      <property name="key" value="#FF00FF" />
      <property name="anchor" value="20,0" />
    </properties>
    <image width="40" height="20" source="0-sheet.spr/a3-0.png" />
  </tile>
</tileset>
