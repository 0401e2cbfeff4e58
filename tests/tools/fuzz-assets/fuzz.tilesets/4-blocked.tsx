<?xml version="1.0" encoding="UTF-8"?>
<tileset version="1.8" tiledversion="1.8.2" name="blocked" tilewidth="40" tileheight="20" tilecount="1" columns="0" objectalignment="topleft">
  <grid orientation="orthogonal" width="1" height="1" />
  <properties>
    <property name="blocked marker" type="bool" value="true" />
  </properties>
  <tile id="0">
    <image width="40" height="20" source="4-blocked/blocked.png" />
  </tile>
</tileset>
