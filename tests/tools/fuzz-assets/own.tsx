<?xml version="1.0" encoding="UTF-8"?>
<tileset version="1.8" name="own" tilewidth="64" tileheight="32" tilecount="4" columns="2" spacing="2" margin="1">
 <image source="sheet.png" trans="ff00ff"/>
 <tile id="1"><objectgroup draworder="index"><object id="1" x="8" y="4" width="40" height="20"/></objectgroup></tile>
</tileset>
