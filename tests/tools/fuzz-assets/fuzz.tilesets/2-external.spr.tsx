<?xml version="1.0" encoding="UTF-8"?>
<tileset version="1.8" tiledversion="1.8.2" name="external.spr" tilewidth="40" tileheight="40" tilecount="3" columns="0" objectalignment="topleft">
  <grid orientation="orthogonal" width="1" height="1" />
  <properties>
    <property name="sprite file" value="external.spr" />
    <property name="sprite id" type="int" value="102" />
    <property name="format" type="int" value="1" />
  </properties>
  <tile id="0">
    <properties>
      <property name="animation" type="int" value="0" />
      <property name="frame" type="int" value="0" />
      <property name="name" value="t0~1" />
      <property name="direction" type="int" value="0" />
      <property name="place" value="-21,-25" />
      <property name="duration" type="int" value="100" />
      <property name="key" value="#FF00FF" />
      <property name="anchor" value="21,25" />
      <property name="mask" value="picture" />
    </properties>
    <image width="40" height="40" source="2-external.spr/a0-0.png" />
  </tile>
  <tile id="1">
    <properties>
      <property name="animation" type="int" value="1" />
      <property name="frame" type="int" value="0" />
      <property name="name" value="t0~2" />
      <property name="direction" type="int" value="0" />
      <property name="place" value="-21,-25" />
      <property name="duration" type="int" value="100" />
      <property name="key" value="#FF00FF" />
      <property name="anchor" value="21,25" />
      <property name="mask" value="picture" />
    </properties>
    <image width="40" height="40" source="2-external.spr/a1-0.png" />
  </tile>
  <tile id="2">
    <properties>
      <property name="animation" type="int" value="2" />
      <property name="frame" type="int" value="0" />
      <property name="name" value="t0~3" />
      <property name="direction" type="int" value="0" />
      <property name="place" value="-16,-20" />
      <property name="duration" type="int" value="100" />
      <property name="key" value="#FF00FF" />
      <property name="anchor" value="16,20" />
      <property name="mask" value="picture" />
    </properties>
    <image width="20" height="20" source="2-external.spr/a2-0.png" />
  </tile>
</tileset>
