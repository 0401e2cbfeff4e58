<?xml version="1.0" encoding="UTF-8"?>
<tileset version="1.8" name="external" tilewidth="64" tileheight="64" tilecount="1" columns="0">
 <tileoffset x="-4" y="8"/>
 <tile id="0"><properties><property name="blocked" type="bool" value="true"/></properties><image width="64" height="64" source="tree.png"/></tile>
</tileset>
