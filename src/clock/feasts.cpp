#include "clock/feasts.h"

namespace clep {

// The feriae publicae stativae, the fixed public feasts, that the calendar of
// the late Republic writes in large letters: the Fasti Antiates Maiores, as
// edited by A. Degrassi, Inscriptiones Italiae XIII.2, Fasti anni Numani et
// Iuliani (Rome 1963). The six yearly public games (ludi) on the days the
// calendars of Augustus' time give them (the Fasti Praenestini and Maffeiani,
// in the same edition). H. H. Scullard, Festivals and Ceremonies of the
// Roman Republic (London 1981), goes through the year by these dates.
// The calendars mark the Saturnalia on 17 December only; by the late
// Republic it was kept seven days (Macrobius, Saturnalia 1.10.2-3), shown
// here to the 23rd. Julius Caesar put his new days at the ends of the months,
// so a feast keeps its day of the month in both calendars. Movable feasts
// (feriae conceptivae: Compitalia, Sementivae, Fornacalia, the Latin feast)
// have no day of their own and are left out.
const std::array<Feast, 52> kFeasts = {{
    {1, 9, 9, "Agonalia"},          {1, 11, 11, "Carmentalia"},    {1, 15, 15, "Carmentalia"},
    {2, 15, 15, "Lupercalia"},      {2, 17, 17, "Quirinalia"},     {2, 21, 21, "Feralia"},
    {2, 23, 23, "Terminalia"},      {2, 24, 24, "Regifugium"},     {2, 27, 27, "Equirria"},
    {3, 14, 14, "Equirria"},        {3, 17, 17, "Liberalia"},      {3, 19, 19, "Quinquatrus"},
    {3, 23, 23, "Tubilustrium"},    {4, 4, 10, "Ludi Megalenses"}, {4, 12, 19, "Ludi Ceriales"},
    {4, 15, 15, "Fordicidia"},      {4, 19, 19, "Cerialia"},       {4, 21, 21, "Parilia"},
    {4, 23, 23, "Vinalia"},         {4, 25, 25, "Robigalia"},      {4, 28, 30, "Ludi Florales"},
    {5, 1, 3, "Ludi Florales"},     {5, 9, 9, "Lemuria"},          {5, 11, 11, "Lemuria"},
    {5, 13, 13, "Lemuria"},         {5, 21, 21, "Agonalia"},       {5, 23, 23, "Tubilustrium"},
    {6, 9, 9, "Vestalia"},          {6, 11, 11, "Matralia"},       {7, 5, 5, "Poplifugia"},
    {7, 6, 13, "Ludi Apollinares"}, {7, 19, 19, "Lucaria"},        {7, 21, 21, "Lucaria"},
    {7, 23, 23, "Neptunalia"},      {7, 25, 25, "Furrinalia"},     {8, 17, 17, "Portunalia"},
    {8, 19, 19, "Vinalia"},         {8, 21, 21, "Consualia"},      {8, 23, 23, "Volcanalia"},
    {8, 25, 25, "Opiconsivia"},     {8, 27, 27, "Volturnalia"},    {9, 4, 19, "Ludi Romani"},
    {10, 11, 11, "Meditrinalia"},   {10, 13, 13, "Fontinalia"},    {10, 19, 19, "Armilustrium"},
    {11, 4, 17, "Ludi Plebeii"},    {12, 11, 11, "Agonalia"},      {12, 15, 15, "Consualia"},
    {12, 17, 23, "Saturnalia"},     {12, 19, 19, "Opalia"},        {12, 21, 21, "Divalia"},
    {12, 23, 23, "Larentalia"},
}};

std::string FeastsOn(int month, int day) {
  std::string names;
  for (const Feast& feast : kFeasts) {
    if (feast.month == month && feast.first <= day && day <= feast.last) {
      names += names.empty() ? "" : ", ";
      names += feast.name;
    }
  }
  return names;
}

}  // namespace clep
