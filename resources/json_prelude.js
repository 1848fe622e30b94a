function get__count(c){var i=-2;for(v in c)i++;return i}
if(typeof JSON!=='object'){JSON={}}
if(!Object.prototype.toJSONString){Object.prototype.toJSONString=function(filter){return JSON.stringify(this,filter)};Object.prototype.parseJSON=function(filter){return JSON.parse(this,filter)}}
