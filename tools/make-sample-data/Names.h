#pragma once
// Word lists from which generated people, streets and clubs are combined at random. The lists
// are common given names and surnames; every combination is invented. Letters outside ASCII are
// Windows-1252 bytes (as the licence files carry them), written as escapes so the source stays
// ASCII; adjacent literals keep an escape from swallowing a following hex letter.

namespace sampledata::names {

inline constexpr const char* usGiven[] = {
    "JAMES", "JOHN", "ROBERT", "MICHAEL", "WILLIAM", "DAVID", "RICHARD", "JOSEPH", "THOMAS",
    "CHARLES", "CHRISTOPHER", "DANIEL", "MATTHEW", "ANTHONY", "MARK", "DONALD", "STEVEN", "PAUL",
    "ANDREW", "JOSHUA", "KENNETH", "KEVIN", "BRIAN", "GEORGE", "TIMOTHY", "RONALD", "EDWARD",
    "JASON", "JEFFREY", "RYAN", "JACOB", "GARY", "NICHOLAS", "ERIC", "JONATHAN", "STEPHEN",
    "LARRY", "JUSTIN", "SCOTT", "BRANDON", "BENJAMIN", "SAMUEL", "GREGORY", "FRANK", "RAYMOND",
    "PATRICK", "JACK", "DENNIS", "JERRY", "TYLER", "AARON", "HENRY", "DOUGLAS", "PETER",
    "WALTER", "HAROLD", "CARL", "ARTHUR", "ROGER", "KEITH", "GERALD", "LAWRENCE", "TERRY",
    "SEAN", "CHRISTIAN", "WAYNE", "RALPH", "ROY", "EUGENE", "LOUIS", "PHILIP", "BOBBY",
    "JOS\xC9", "REN\xC9", "ANDR\xC9", "MARY", "PATRICIA", "JENNIFER", "LINDA", "ELIZABETH",
    "BARBARA", "SUSAN", "JESSICA", "SARAH", "KAREN", "LISA", "NANCY", "BETTY", "MARGARET",
    "SANDRA", "ASHLEY", "KIMBERLY", "EMILY", "DONNA", "MICHELLE", "CAROL", "AMANDA", "DOROTHY",
    "MELISSA", "DEBORAH", "STEPHANIE", "REBECCA", "SHARON", "LAURA", "CYNTHIA", "KATHLEEN",
    "AMY", "ANGELA", "HELEN", "ANNA", "BRENDA", "PAMELA", "NICOLE", "EMMA", "SAMANTHA",
    "CHRISTINE", "DEBRA", "RACHEL", "CAROLYN", "JANET", "MAR\xCD" "A", "ZO\xCB",
};

inline constexpr const char* usSurname[] = {
    "SMITH", "JOHNSON", "WILLIAMS", "BROWN", "JONES", "GARCIA", "MILLER", "DAVIS", "RODRIGUEZ",
    "MARTINEZ", "HERNANDEZ", "LOPEZ", "GONZALEZ", "WILSON", "ANDERSON", "THOMAS", "TAYLOR",
    "MOORE", "JACKSON", "MARTIN", "LEE", "PEREZ", "THOMPSON", "WHITE", "HARRIS", "SANCHEZ",
    "CLARK", "RAMIREZ", "LEWIS", "ROBINSON", "WALKER", "YOUNG", "ALLEN", "KING", "WRIGHT",
    "SCOTT", "TORRES", "NGUYEN", "HILL", "FLORES", "GREEN", "ADAMS", "NELSON", "BAKER", "HALL",
    "RIVERA", "CAMPBELL", "MITCHELL", "CARTER", "ROBERTS", "GOMEZ", "PHILLIPS", "EVANS",
    "TURNER", "DIAZ", "PARKER", "CRUZ", "EDWARDS", "COLLINS", "REYES", "STEWART", "MORRIS",
    "MORALES", "MURPHY", "COOK", "ROGERS", "GUTIERREZ", "ORTIZ", "MORGAN", "COOPER", "PETERSON",
    "BAILEY", "REED", "KELLY", "HOWARD", "RAMOS", "KIM", "COX", "WARD", "RICHARDSON", "WATSON",
    "BROOKS", "CHAVEZ", "WOOD", "BENNETT", "GRAY", "MENDOZA", "RUIZ", "HUGHES", "PRICE",
    "ALVAREZ", "CASTILLO", "SANDERS", "PATEL", "MYERS", "LONG", "ROSS", "FOSTER", "JIMENEZ",
    "SCHMIDT", "KOWALSKI", "NOWAK", "MCDONALD", "MACKENZIE", "VAN DYKE", "DE LA CRUZ",
    "O'BRIEN", "O'CONNOR", "O'NEIL", "O'MALLEY", "D'ANGELO", "MU\xD1OZ", "PE\xD1" "A",
    "N\xDA\xD1" "EZ", "CASTA\xD1" "EDA", "M\xDCLLER",
};

inline constexpr const char* suffixes[] = {"JR", "SR", "II", "III", "IV"};

inline constexpr const char* streets[] = {
    "MAIN", "OAK", "MAPLE", "PINE", "CEDAR", "ELM", "WASHINGTON", "LAKE", "HILL", "PARK",
    "WALNUT", "RIDGE", "CHURCH", "MILL", "SPRING", "MEADOW", "FOREST", "RIVER", "SUNSET",
    "HIGHLAND", "CHESTNUT", "LINCOLN", "JEFFERSON", "FRANKLIN", "MADISON", "WILLOW", "BIRCH",
    "CHERRY", "SPRUCE", "HICKORY", "VALLEY", "CENTER", "BROADWAY", "COUNTRY CLUB", "COLLEGE",
    "LAUREL", "DOGWOOD", "MAGNOLIA", "HOLLY", "SYCAMORE", "O'HARA", "HARBOR", "QUAIL RUN",
    "COUNTY ROAD 12", "STATE ROUTE 9", "DEER PATH", "FOX HOLLOW", "ORCHARD", "PROSPECT",
};

inline constexpr const char* streetKinds[] = {
    "ST", "AVE", "RD", "DR", "LN", "CT", "WAY", "BLVD", "CIR", "PL", "TRL", "PKWY", "HWY",
};

inline constexpr const char* directions[] = {"N", "S", "E", "W", "NE", "NW", "SE", "SW"};

inline constexpr const char* units[] = {"APT", "UNIT", "STE", "#", "LOT"};

inline constexpr const char* clubWords[] = {
    "MOUNTAIN", "VALLEY", "TRI-COUNTY", "LAKESHORE", "HIGH DESERT", "PRAIRIE", "COASTAL",
    "NORTH SHORE", "BLUE RIDGE", "RED ROCK", "PIEDMONT", "BAYOU", "RIVER CITY", "GATEWAY",
    "TWIN CITIES", "SOUTH JERSEY", "CENTRAL TEXAS", "PIKES PEAK", "OLD PUEBLO", "GRAND MESA",
};

inline constexpr const char* clubKinds[] = {
    "AMATEUR RADIO CLUB", "AMATEUR RADIO CLUB INC", "ARC", "REPEATER ASSOCIATION",
    "CONTEST GROUP", "DX ASSOCIATION", "EMERGENCY COMMUNICATIONS TEAM", "RADIO SOCIETY",
};

inline constexpr const char* caGiven[] = {
    "Jean", "Pierre", "Marc", "Michel", "Andr\xE9", "Fran\xE7ois", "Luc", "St\xE9phane",
    "Sylvain", "Denis", "R\xE9jean", "Gilles", "Normand", "H\xE9l\xE8ne", "Sylvie", "Nathalie",
    "Isabelle", "Chantal", "Jos\xE9" "e", "Genevi\xE8ve", "Wilfred", "Robert", "David", "John",
    "James", "Michael", "Richard", "Douglas", "Gordon", "Kenneth", "Brian", "Wayne", "Gary",
    "Donald", "Ian", "Colin", "Murray", "Trevor", "Susan", "Karen", "Linda", "Margaret",
    "Heather", "Janet", "Wei", "Rajesh", "Harpreet",
};

inline constexpr const char* caSurname[] = {
    "Tremblay", "Gagnon", "Roy", "C\xF4t\xE9", "Bouchard", "Gauthier", "Morin", "Lavoie",
    "Fortin", "Gagn\xE9", "Ouellet", "Pelletier", "B\xE9langer", "L\xE9vesque", "Bergeron",
    "Leblanc", "Paquette", "Girard", "Simard", "Boucher", "Caron", "Beaulieu", "Cloutier",
    "Dub\xE9", "Poirier", "Fournier", "Lapointe", "Leclerc", "Lefebvre", "Poulin", "Thibault",
    "St-Pierre", "D'Amours", "MacDonald", "MacLeod", "Campbell", "Fraser", "Stewart",
    "Robertson", "Wilson", "Thompson", "Smith", "Brown", "Taylor", "Anderson", "Martin", "Wong",
    "Chen", "Singh", "Patel", "O'Neill", "McKenzie", "Van der Berg",
};

inline constexpr const char* caStreets[] = {
    "Main Street", "King Street", "Queen Street", "Rue Principale", "Rue Saint-Jean",
    "Chemin du Lac", "Boulevard des \xC9rables", "Maple Avenue", "Elm Drive", "Lakeshore Road",
    "Portage Avenue", "Jasper Avenue", "Water Street", "Rue de l'\xC9glise", "Concession Road 4",
    "Highway 7", "Pleasant Street", "Victoria Crescent", "Bay Road", "Rang Saint-Joseph",
};

} // namespace sampledata::names
